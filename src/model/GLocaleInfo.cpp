#include "model/GLocaleInfo.h"

#include "model/GStoredFields.h"

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

uint32_t GLocaleInfo::FieldsSize() const
{
    uint32_t size = 4 + 4 * kNumberCount;
    for (const RWCString& text : texts_)
        size += uint32_t(text.BinaryStoreSize());
    return size;
}

// The numbers go through the stream's long operation.
template <class In>
void GLocaleInfo::ReadFields(In& in)
{
    if (!GReadFields(in))
        return;
    long numbers[kNumberCount];
    for (long& number : numbers)
        if (!GReadField(in, number))
            return;
    RWCString texts[kTextCount];
    for (RWCString& text : texts)
        if (!GReadField(in, text))
            return;
    for (int i = 0; i < kNumberCount; ++i)
        numbers_[i] = int32_t(numbers[i]);
    for (int i = 0; i < kTextCount; ++i)
        texts_[i] = texts[i];
}

template <class Out>
void GLocaleInfo::WriteFields(Out& out) const
{
    GWriteFields(out);
    for (int32_t number : numbers_)
        GWriteField(out, long(number));
    for (const RWCString& text : texts_)
        GWriteField(out, text);
}

bool GLocaleInfo::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GLocaleInfo* info = GSameClass<GLocaleInfo>(this, other);
    if (!info || !GObjectBase::IsSame(info))
        return false;
    for (int i = 0; i < kNumberCount; ++i)
        if (info->numbers_[i] != numbers_[i])
            return false;
    for (int i = 0; i < kTextCount; ++i)
        if (!(info->texts_[i] == texts_[i]))
            return false;
    return true;
}

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

// The stored form for every medium, for the base's savers and restorers elsewhere.
template void GLocaleInfo::ReadFields(RWBinaryFile&);
template void GLocaleInfo::ReadFields(RWDataInStream&);
template void GLocaleInfo::WriteFields(RWBinaryFile&) const;
template void GLocaleInfo::WriteFields(RWDataOutStream&) const;
