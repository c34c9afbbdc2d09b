#include "model/GLocaleInfo.h"

namespace {

struct NumberField {
    const char* name;
    int32_t initial;
};

struct TextField {
    const char* name;
    const char* initial;
};

// The settings in field order with their defaults. The locale's default is decimal 409,
// read by the same decimal conversion as every other number.
const NumberField kNumbers[GLocaleInfo::kNumberCount] = {
    {"iCountry", 1}, {"iCurrDigits", 2}, {"iCurrency", 0}, {"iDate", 0},  {"iDigits", 2},  {"iLZero", 1},
    {"iMeasure", 1}, {"iNegCurr", 1},    {"iTime", 0},     {"iTLZero", 0}, {"Locale", 409},
};

const TextField kTexts[GLocaleInfo::kTextCount] = {
    {"s1159", "AM"},     {"s2359", "PM"},      {"sCountry", "United States"},   {"sCurrency", "$"},
    {"sDate", "/"},      {"sDecimal", "."},    {"sLanguage", "ENU"},            {"sList", ","},
    {"sLongDate", "dddd, MMMM dd, yyyy"},      {"sShortDate", "M/d/yy"},        {"sThousand", ","},
    {"sTime", ":"},
};

bool IsNumber(int field) { return field >= 0 && field < GLocaleInfo::kNumberCount; }
bool IsText(int field) { return field >= 0 && field < GLocaleInfo::kTextCount; }

} // namespace

GLocaleInfo::GLocaleInfo() { SetDefaults(); }
GLocaleInfo::GLocaleInfo(const long& id) : GPersistent(id) { SetDefaults(); }
GLocaleInfo::~GLocaleInfo() {}

void GLocaleInfo::SetDefaults()
{
    for (int i = 0; i < kNumberCount; ++i)
        numbers_[i] = kNumbers[i].initial;
    for (int i = 0; i < kTextCount; ++i)
        texts_[i] = kTexts[i].initial;
}

// The numbers go through the stream's long operation.

const char* GLocaleInfo::NumberName(Number field) { return IsNumber(field) ? kNumbers[field].name : ""; }
const char* GLocaleInfo::TextName(Text field) { return IsText(field) ? kTexts[field].name : ""; }

int32_t GLocaleInfo::GetNumber(Number field) const { return IsNumber(field) ? numbers_[field] : 0; }

const RWCString& GLocaleInfo::GetText(Text field) const
{
    static const RWCString kNone;
    return IsText(field) ? texts_[field] : kNone;
}

void GLocaleInfo::SetNumber(Number field, int32_t value)
{
    if (IsNumber(field))
        numbers_[field] = value;
}

void GLocaleInfo::SetText(Text field, const char* text)
{
    if (IsText(field))
        texts_[field] = text ? text : "";
}

