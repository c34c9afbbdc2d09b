#include "../model/StoredForms.h"
#include "graphics/GDeviceFontListComposite.h"
#include "model/GPersistableULong.h"

#include <gtest/gtest.h>

namespace {

GDeviceFontDescription Font(const char* name, uint16_t number)
{
    GULongVector sets(1);
    sets.Append(3);
    return GDeviceFontDescription(name, "D", 3, sets, 400, 0, 0, 1, 0, 12, number, 2);
}

// A stored description of the version, up to the height, then what follows.
StoredBytes StoredFont(uint32_t version)
{
    return StoredBytes().Root(0, 0).U32(version).Text("Face").Text("Dev").U32(16).U32(1).U32(3).U16(700).U32(1)
        .U32(0x20).U32(0).U32(1).U16(0);
}

} // namespace

TEST(GDeviceFontDescription, OlderVersionsReadWithoutNumberAndFormat)
{
    GDeviceFontDescription description = Font("Old", 9);
    RestoreGutsFrom(description, StoredFont(1));
    EXPECT_EQ("Face", std::string(description.GetFaceName().Data()));
    EXPECT_EQ(0, description.GetFontNumber());
    EXPECT_EQ(0, description.GetFormat());
    RestoreGutsFrom(description, StoredFont(2).U16(7).U32(4));
    EXPECT_EQ(7, description.GetFontNumber());
    EXPECT_EQ(4, description.GetFormat());
    // A count of codes that the input cannot hold changes nothing.
    RestoreGutsFrom(description, StoredBytes().Root(0, 0).U32(2).Text("X").Text("Y").U32(16).U32(0x40000000));
    EXPECT_EQ("Face", std::string(description.GetFaceName().Data()));
}

TEST(GDeviceFontList, OlderVersionsHaveNoStampOrDictionaries)
{
    // Read on its own, the nested object is an outermost one, with its lead-in.
    const std::vector<uint8_t> font = StoredBytes().LeadIn().Object(GDeviceFontDescription::kClassId).Raw(StoredFont(2).U16(7).U32(4));
    for (uint32_t version : {1u, 2u}) {
        GDeviceFontList list(416);
        StoredBytes bytes = StoredBytes().Root(416, 0).U32(version).U32(1).Raw(font);
        if (version == 2)
            bytes.U32(99);
        RestoreGutsFrom(list, bytes);
        ASSERT_EQ(1u, list.Entries());
        EXPECT_EQ(version == 2 ? 99u : 0u, list.GetStamp());
        EXPECT_EQ(nullptr, list.FindByFontNumber(7));
    }
}

TEST(GDeviceFontList, FindsByNumberOnlyThroughItsDictionary)
{
    GDeviceFontList list(416);
    list.Add(Font("A", 4));
    EXPECT_EQ(nullptr, list.FindByFontNumber(4));
    MAssociationList* byNumber = new MAssociationList;
    byNumber->Add(new MPersistentAssociation(new GPersistableULong(4), new GDeviceFontDescription(Font("A", 4))));
    byNumber->Add(new MPersistentAssociation(new GPersistableULong(5), new GPersistableULong(5)));
    list.SetFontNumberDictionary(byNumber);
    ASSERT_NE(nullptr, list.FindByFontNumber(4));
    EXPECT_EQ("A", std::string(list.FindByFontNumber(4)->GetFaceName().Data()));
    EXPECT_EQ(nullptr, list.FindByFontNumber(5)); // a value of another kind
    EXPECT_EQ(nullptr, list.FindByKey(4));

    GDeviceFontDescription out = Font("Mine", 1);
    EXPECT_EQ(0, list.GetAt(1, out));
    EXPECT_EQ("Mine", std::string(out.GetFaceName().Data()));
    EXPECT_EQ(1, list.GetAt(0, out));
    EXPECT_EQ("A", std::string(out.GetFaceName().Data()));
}

TEST(GDeviceFontList, OrderCountsInComparison)
{
    GDeviceFontList ab(416), ba(416);
    ab.Add(Font("A", 1));
    ab.Add(Font("B", 2));
    ba.Add(Font("B", 2));
    ba.Add(Font("A", 1));
    EXPECT_FALSE(ab.IsSame(&ba));
    GDeviceFontList copy(ab);
    EXPECT_TRUE(copy.IsSame(&ab));
}

TEST(GDeviceFontListComposite, MergesReplacesAndKeepsMembersOfOtherVersions)
{
    GDeviceFontListComposite composite;
    composite.Add(new GDeviceFontList(416));
    composite.Add(new GPersistableULong(1)); // not a list: dropped
    EXPECT_EQ(1u, composite.Entries());

    GDeviceFontListComposite other;
    GDeviceFontList* fonts = new GDeviceFontList(416);
    fonts->Add(Font("A", 1));
    other.Add(fonts);
    other.Add(new GDeviceFontList(420));
    composite.Merge(other);
    ASSERT_EQ(2u, composite.Entries());
    EXPECT_EQ(1u, composite.FindList(416)->Entries());
    EXPECT_NE(fonts, composite.FindList(416));

    std::vector<uint8_t> bytes = GutsBytes(GDeviceFontListComposite());
    bytes[12] = 2; // the version word after the root part
    RestoreGutsFrom(composite, bytes);
    EXPECT_EQ(2u, composite.Entries());
}

TEST(GULongVector, RemoveAllClosesTheGaps)
{
    GULongVector vector(2);
    for (uint32_t v : {5u, 1u, 5u, 2u, 5u})
        vector.Append(v);
    EXPECT_EQ(3u, vector.Occurrences(5));
    EXPECT_EQ(3u, vector.RemoveAll(5));
    EXPECT_EQ((std::vector<uint32_t>{1, 2}), vector.Values());
    EXPECT_EQ(-1, vector.Find(5));
    vector.Insert(1, 7);
    EXPECT_EQ(1, vector.Find(7));
}

TEST(GDeviceFontList, AStoredDictionaryOfAnotherKindIsNone)
{
    GDeviceFontList plain(416);
    plain.Add(Font("A", 4));
    std::vector<uint8_t> bytes = GutsBytes(plain);
    bytes.resize(bytes.size() - 20); // both nil dictionaries, each with its lead-in
    bytes = StoredBytes().Raw(bytes).LeadIn().Object(GPersistableULong::kClassId).Raw(GutsBytes(GPersistableULong(4))).LeadIn().Nil();
    GDeviceFontList back(416);
    RestoreGutsFrom(back, bytes);
    EXPECT_TRUE(back.IsSame(&plain));
}
