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

TEST(GLocaleInfoDefaults, NewRecordHoldsExactlyTheDefaults)
{
    GLocaleInfo info;
    EXPECT_EQ(0, info.GetId());
    EXPECT_EQ(3, info.ClassId());
    for (const NumberDefault& d : kNumberDefaults) {
        EXPECT_EQ(d.value, info.GetNumber(d.field)) << d.name;
        EXPECT_STREQ(d.name, GLocaleInfo::NumberName(d.field));
    }
    for (const TextDefault& d : kTextDefaults) {
        EXPECT_TRUE(info.GetText(d.field) == d.value) << d.name;
        EXPECT_STREQ(d.name, GLocaleInfo::TextName(d.field));
    }
}

TEST(GLocaleInfoDefaults, LocaleIsDecimalFourHundredNine)
{
    GLocaleInfo info(5);
    EXPECT_EQ(5, info.GetId());
    EXPECT_EQ(0x199, info.GetNumber(GLocaleInfo::kLocale));
}

TEST(GLocaleInfoDefaults, StoredSizeCountsEveryTextWithItsLength)
{
    // Version, eleven numbers, then twelve texts of 51 characters in all.
    GLocaleInfo info;
    EXPECT_EQ(12u + 4u + 44u + 12u * 4u + 51u, info.BinaryStoreSize());
    EXPECT_EQ(info.BinaryStoreSize(), GutsBytes(info).size());
}

TEST(GLocaleInfoSetters, EachSetterChangesItsOwnField)
{
    GLocaleInfo info;
    info.SetICountry(49);
    info.SetICurrDigits(3);
    info.SetICurrency(3);
    info.SetIDate(1);
    info.SetIDigits(4);
    info.SetILZero(0);
    info.SetIMeasure(0);
    info.SetINegCurr(8);
    info.SetITime(1);
    info.SetITLZero(1);
    info.SetLocale(407);
    info.SetS1159("vorm.");
    info.SetS2359("nachm.");
    info.SetSCountry("Deutschland");
    info.SetSCurrency("EUR");
    info.SetSDate(".");
    info.SetSDecimal(",");
    info.SetSLanguage("DEU");
    info.SetSList(";");
    info.SetSLongDate("dddd, d. MMMM yyyy");
    info.SetSShortDate("dd.MM.yyyy");
    info.SetSThousand(".");
    info.SetSTime(nullptr);
    const int32_t numbers[] = {49, 3, 3, 1, 4, 0, 0, 8, 1, 1, 407};
    for (int i = 0; i < GLocaleInfo::kNumberCount; ++i)
        EXPECT_EQ(numbers[i], info.GetNumber(GLocaleInfo::Number(i))) << i;
    const char* texts[] = {"vorm.", "nachm.", "Deutschland", "EUR", ".", ",", "DEU", ";",
                           "dddd, d. MMMM yyyy", "dd.MM.yyyy", ".", ""};
    for (int i = 0; i < GLocaleInfo::kTextCount; ++i)
        EXPECT_TRUE(info.GetText(GLocaleInfo::Text(i)) == texts[i]) << i;
}

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

TEST(GLocaleInfoCopy, CopyAndAssignmentTakeEveryField)
{
    GLocaleInfo source(8);
    source.SetSList("|");
    source.SetIDate(2);
    GLocaleInfo copy(source);
    EXPECT_TRUE(copy.IsSame(&source));
    EXPECT_EQ(source.GetSerial(), copy.GetSerial());
    GLocaleInfo assigned;
    assigned = source;
    EXPECT_TRUE(assigned.IsSame(&source));
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

TEST(GLocaleInfoStore, EmptyTextsRoundTripFieldForField)
{
    GLocaleInfo info(4);
    for (int i = 0; i < GLocaleInfo::kTextCount; ++i)
        info.SetText(GLocaleInfo::Text(i), "");
    info.SetLocale(-1);
    for (StreamKind kind : kAllStreamKinds) {
        GLocaleInfo restored;
        EXPECT_TRUE(RestoreStreamForm(kind, restored, StreamFormOf(kind, info))) << kind;
        EXPECT_TRUE(restored.IsSame(&info)) << kind;
    }
    GLocaleInfo restored;
    RestoreGutsAndMeasure(restored, GutsBytes(info));
    EXPECT_TRUE(restored.IsSame(&info));
}

TEST(GLocaleInfoStore, OtherVersionKeepsEveryValue)
{
    GLocaleInfo info;
    info.SetSCountry("kept");
    RestoreGutsAndMeasure(info, StoredBytes().Root(0, 0).U32(7).U32(0));
    EXPECT_TRUE(info.GetText(GLocaleInfo::kSCountry) == "kept");
    EXPECT_EQ(409, info.GetNumber(GLocaleInfo::kLocale));
}
