#include "model/GLocaleInfo.h"

#include "StoredForms.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct NumberDefault {
    GLocaleInfo::Number field;
    const char* name;
    int32_t value;
};

struct TextDefault {
    GLocaleInfo::Text field;
    const char* name;
    const char* value;
};

const NumberDefault kNumberDefaults[] = {
    {GLocaleInfo::kICountry, "iCountry", 1},     {GLocaleInfo::kICurrDigits, "iCurrDigits", 2},
    {GLocaleInfo::kICurrency, "iCurrency", 0},   {GLocaleInfo::kIDate, "iDate", 0},
    {GLocaleInfo::kIDigits, "iDigits", 2},       {GLocaleInfo::kILZero, "iLZero", 1},
    {GLocaleInfo::kIMeasure, "iMeasure", 1},     {GLocaleInfo::kINegCurr, "iNegCurr", 1},
    {GLocaleInfo::kITime, "iTime", 0},           {GLocaleInfo::kITLZero, "iTLZero", 0},
    {GLocaleInfo::kLocale, "Locale", 409},
};

const TextDefault kTextDefaults[] = {
    {GLocaleInfo::kS1159, "s1159", "AM"},
    {GLocaleInfo::kS2359, "s2359", "PM"},
    {GLocaleInfo::kSCountry, "sCountry", "United States"},
    {GLocaleInfo::kSCurrency, "sCurrency", "$"},
    {GLocaleInfo::kSDate, "sDate", "/"},
    {GLocaleInfo::kSDecimal, "sDecimal", "."},
    {GLocaleInfo::kSLanguage, "sLanguage", "ENU"},
    {GLocaleInfo::kSList, "sList", ","},
    {GLocaleInfo::kSLongDate, "sLongDate", "dddd, MMMM dd, yyyy"},
    {GLocaleInfo::kSShortDate, "sShortDate", "M/d/yy"},
    {GLocaleInfo::kSThousand, "sThousand", ","},
    {GLocaleInfo::kSTime, "sTime", ":"},
};

} // namespace

TEST(GLocaleInfoSetters, FieldsOutOfRangeAreIgnored)
{
    GLocaleInfo info;
    info.SetNumber(GLocaleInfo::Number(11), 5);
    info.SetText(GLocaleInfo::Text(-1), "x");
    EXPECT_EQ(0, info.GetNumber(GLocaleInfo::Number(11)));
    EXPECT_EQ(0u, info.GetText(GLocaleInfo::Text(12)).Length());
    GLocaleInfo fresh;
    EXPECT_TRUE(info.IsSame(&fresh));
    EXPECT_STREQ("", GLocaleInfo::NumberName(GLocaleInfo::kNumberCount));
}

TEST(GLocaleInfoCompare, DifferingOnlyInTheTimeSeparatorIsNotSame)
{
    GLocaleInfo a;
    GLocaleInfo b;
    EXPECT_TRUE(a.IsSame(&b));
    b.SetSTime(".");
    EXPECT_FALSE(a.IsSame(&b));
    GLocaleInfo c;
    c.SetIMeasure(0);
    EXPECT_FALSE(a.IsSame(&c));
    GLocaleInfo d(1);
    EXPECT_FALSE(a.IsSame(&d));
}

TEST(GLocaleInfoStore, FileFormIsNumbersThenTexts)
{
    GLocaleInfo info(2);
    info.SetSerial(3);
    StoredBytes expected;
    expected.Root(2, 3).U32(1);
    for (const NumberDefault& d : kNumberDefaults)
        expected.U32(uint32_t(d.value));
    for (const TextDefault& d : kTextDefaults)
        expected.Text(d.value);
    EXPECT_EQ(expected.Get(), GutsBytes(info));
    // The first bytes, spelt out: iCountry 1, iCurrDigits 2, iCurrency 0.
    const uint8_t start[] = {0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,
                             0x00, 0x00, 0x00, 0x00};
    EXPECT_TRUE(std::equal(start, start + sizeof start, GutsBytes(info).begin() + 12));
}

TEST(GLocaleInfoStore, OtherVersionKeepsEveryValue)
{
    GLocaleInfo info;
    info.SetSCountry("kept");
    RestoreGutsAndMeasure(info, StoredBytes().Root(0, 0).U32(7).U32(0));
    EXPECT_TRUE(info.GetText(GLocaleInfo::kSCountry) == "kept");
    EXPECT_EQ(409, info.GetNumber(GLocaleInfo::kLocale));
}
