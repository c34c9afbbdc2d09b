#include "model/GPersistableLong.h"
#include "model/GPersistableULong.h"

#include "StoredForms.h"

#include <gtest/gtest.h>

TEST(GPersistableNumberCompare, SignedMinusOneIsBelowOneAndUnsignedAllOnesAbove)
{
    GPersistableLong minusOne(-1);
    GPersistableLong one(1);
    EXPECT_EQ(-1, minusOne.CompareTo(&one));
    EXPECT_EQ(1, one.CompareTo(&minusOne));
    GPersistableLong alsoOne(1, 99);
    EXPECT_EQ(0, one.CompareTo(&alsoOne));
    GPersistableULong allOnes(0xFFFFFFFFu);
    GPersistableULong unsignedOne(1);
    EXPECT_EQ(1, allOnes.CompareTo(&unsignedOne));
    EXPECT_EQ(-1, unsignedOne.CompareTo(&allOnes));
}

TEST(GPersistableNumberCompare, OtherClassesCompareByAddress)
{
    GPersistableLong number(5);
    GPersistableULong other(5);
    const int expected = &number < static_cast<void*>(&other) ? -1 : 1;
    EXPECT_EQ(expected, number.CompareTo(&other));
    EXPECT_EQ(0, number.CompareTo(&number));
}

TEST(GPersistableNumberCompare, EqualByValueSameByValueAndId)
{
    GPersistableLong a(5, 1);
    GPersistableLong b(5, 2);
    EXPECT_TRUE(a.IsEqual(&b));
    EXPECT_FALSE(a.IsSame(&b));
    GPersistableLong c(5, 1);
    EXPECT_TRUE(a.IsSame(&c));
    GPersistableULong sameBits(5, 1);
    EXPECT_FALSE(a.IsEqual(&sameBits));
    EXPECT_FALSE(a.IsSame(&sameBits));
    EXPECT_FALSE(a.IsEqual(nullptr));
}

TEST(GPersistableNumberCopy, CopyTakesAFreshRoot)
{
    GPersistableULong source(42, 7);
    std::unique_ptr<GPersistableULong> copy(source.Copy());
    EXPECT_EQ(42u, copy->GetValue());
    EXPECT_EQ(0, copy->GetId());
    EXPECT_NE(source.GetSerial(), copy->GetSerial());
    GPersistableULong assigned;
    assigned = source;
    EXPECT_EQ(7, assigned.GetId());
    EXPECT_EQ(source.GetSerial(), assigned.GetSerial());
}

TEST(GPersistableNumberStore, FileFormIsTheValueAfterTheVersion)
{
    GPersistableLong number(-2, 3);
    number.SetSerial(4);
    const uint8_t expected[] = {
        0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,  // root part
        0x01, 0x00, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF,                          // version, value
    };
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected), GutsBytes(number));
    GPersistableULong unsignedNumber;
    RestoreGutsAndMeasure(unsignedNumber, GutsBytes(number));
    EXPECT_EQ(0xFFFFFFFEu, unsignedNumber.GetValue());
}
