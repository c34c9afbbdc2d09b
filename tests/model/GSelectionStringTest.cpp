#include "model/GSelectionString.h"

#include "StoredForms.h"

#include <gtest/gtest.h>

TEST(GSelectionStringValues, DefaultIsIndexZeroAndEmptyText)
{
    GSelectionString selection;
    EXPECT_EQ(0, selection.GetIndex());
    EXPECT_EQ(0u, selection.GetString().Length());
    EXPECT_EQ(1008, selection.ClassId());
    EXPECT_EQ(0, selection.GetId());
}

TEST(GSelectionStringValues, ConstructorTakesTextIndexAndId)
{
    GSelectionString selection("A4", 2, 9);
    EXPECT_TRUE(selection.GetString() == "A4");
    EXPECT_EQ(2, selection.GetIndex());
    EXPECT_EQ(9, selection.GetId());
    GSelectionString empty(nullptr, 1);
    EXPECT_EQ(0u, empty.GetString().Length());
}

TEST(GSelectionStringCompare, SameIndexAndTextAreSame)
{
    GSelectionString a("Letter", 1, 4);
    EXPECT_TRUE(a.IsSame(&a));
    GSelectionString b("Letter", 1, 4);
    EXPECT_TRUE(a.IsSame(&b));
    GSelectionString otherIndex("Letter", 2, 4);
    GSelectionString otherText("Legal", 1, 4);
    GSelectionString longer("Letters", 1, 4);
    GSelectionString otherId("Letter", 1, 5);
    EXPECT_FALSE(a.IsSame(&otherIndex));
    EXPECT_FALSE(a.IsSame(&otherText));
    EXPECT_FALSE(a.IsSame(&longer));
    EXPECT_FALSE(a.IsSame(&otherId));
    EXPECT_FALSE(a.IsSame(nullptr));
}

TEST(GSelectionStringCopy, CopyKeepsTheRootPart)
{
    GSelectionString source("x", 3, 21);
    std::unique_ptr<GSelectionString> copy(source.Copy());
    EXPECT_EQ(21, copy->GetId());
    EXPECT_EQ(source.GetSerial(), copy->GetSerial());
    EXPECT_TRUE(copy->IsSame(&source));
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
    EXPECT_EQ(12u + 10u + 3u, selection.BinaryStoreSize());
}

TEST(GSelectionStringStore, TextLengthBeyondTheFileIsRefused)
{
    GSelectionString selection("keep", 4, 1);
    const FileEnd rest =
        RestoreGutsAndMeasure(selection, StoredBytes().Root(1, 1).U32(1).U32(0x7FFFFFFF).U8('a').U16(1));
    EXPECT_TRUE(selection.GetString() == "keep");
    EXPECT_EQ(4, selection.GetIndex());
    EXPECT_TRUE(rest.eof);
}
