// The attributes' own fields on a binary file: exact bytes, versions, stored serials
// and repaired bounds.
#include "model/GDisplayStringAttribute.h"
#include "ModelTestObjects.h"
#include "StoredForms.h"

#include <gtest/gtest.h>

TEST(GValueAttributeStore, WritesTwentySixBytes)
{
    GValueAttribute value(0x0102, 0x1234);
    value.SetSerial(0x55);
    const std::vector<uint8_t> expected = {
        0x01, 0x00, 0x00, 0x00, 0x34, 0x12, 0x00, 0x00, 0x55, 0x00, 0x00, 0x00, // root: version, id, serial
        0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,                         // attribute: version, state
        0x01, 0x00, 0x00, 0x00, 0x02, 0x01,                                     // value: version, value
    };
    EXPECT_EQ(expected, GutsBytes(value));
}

TEST(GDisplayStringStore, WritesTheAlternativeTextFirst)
{
    GDisplayString display(0x0203, "T", "AB");
    display.SetSerial(1);
    const std::vector<uint8_t> expected = {
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, //
        0x01, 0x00, 0x00, 0x00,                                                 // version
        0x02, 0x00, 0x00, 0x00, 'A',  'B',                                      // alternative text
        0x01, 0x00, 0x00, 0x00, 'T',                                            // text
        0x03, 0x02,                                                             // string id
    };
    EXPECT_EQ(expected, GutsBytes(display));
    GDisplayString back;
    RestoreGutsFrom(back, expected);
    EXPECT_EQ("T", std::string(back.GetText().Data()));
    EXPECT_EQ("AB", std::string(back.GetAltText().Data()));
    EXPECT_EQ(0x0203, back.GetStringId());
}

TEST(GAttributeStore, AStoredSerialOfZeroKeepsTheConstructedOne)
{
    GValueAttribute value(3, 4);
    value.SetSerial(0);
    GValueAttribute back;
    const long constructed = back.GetSerial();
    RestoreGutsFrom(back, GutsBytes(value));
    EXPECT_EQ(constructed, back.GetSerial());
    EXPECT_EQ(4, back.GetId());
    EXPECT_EQ(3, back.GetValue());
}

TEST(GAttributeStore, AnotherVersionKeepsTheFields)
{
    GValueAttribute value(3, 4);
    std::vector<uint8_t> bytes = GutsBytes(value);
    bytes[20] = 2; // the value part's version
    GValueAttribute back(9, 9);
    RestoreGutsFrom(back, bytes);
    EXPECT_EQ(4, back.GetId());
    EXPECT_EQ(9, back.GetValue());
    bytes[20] = 1;
    bytes[0] = 2; // the root part's version
    GValueAttribute other(9, 9);
    RestoreGutsFrom(other, bytes);
    EXPECT_EQ(9, other.GetId());
}

TEST(GRangeAttributeStore, StoredBoundsOutOfOrderAreRepaired)
{
    GRangeAttribute range(0, 10, 1, 5, 1);
    std::vector<uint8_t> bytes = GutsBytes(range);
    // minimum 20, maximum 10, value -4
    bytes[24] = 20;
    bytes[26] = 10;
    bytes[30] = 0xFC;
    bytes[31] = 0xFF;
    GRangeAttribute back;
    RestoreGutsFrom(back, bytes);
    EXPECT_EQ(20, back.GetMinimum());
    EXPECT_EQ(20, back.GetMaximum());
    EXPECT_EQ(20, back.GetValue());
}
