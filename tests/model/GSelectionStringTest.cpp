#include "model/GSelectionString.h"

#include "StoredForms.h"

#include <gtest/gtest.h>

TEST(GSelectionStringCompare, SameIdIndexAndTextAreSame)
{
    GSelectionString a("Letter", 1, 4);
    EXPECT_TRUE(a.IsSame(&a));
    GSelectionString b("Letter", 1, 4);
    EXPECT_TRUE(a.IsSame(&b));
    const GSelectionString others[] = {GSelectionString("Letter", 2, 4), GSelectionString("Legal", 1, 4),
                                       GSelectionString("Letters", 1, 4), GSelectionString("Letter", 1, 5)};
    for (const GSelectionString& other : others)
        EXPECT_FALSE(a.IsSame(&other)) << other.GetString().Data();
    EXPECT_FALSE(a.IsSame(nullptr));
}

TEST(GSelectionStringStore, FileFormIsTextThenIndex)
{
    GSelectionString selection("Tab", -2, 6);
    selection.SetSerial(0x30);
    const uint8_t expected[] = {
        0x01, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00,  // root part
        0x01, 0x00, 0x00, 0x00,                                                  // version
        0x03, 0x00, 0x00, 0x00, 'T',  'a',  'b',                                 // text
        0xFE, 0xFF,                                                              // index
    };
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected), GutsBytes(selection));
}

