// Media, the media pool's search, custom sizes and their units, margins and the building
// of a custom media, and the media-type codes.
#include "model/GAttributeComposite.h"
#include "model/GValueAttribute.h"
#include "model/MPersistentComposite.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GMarginPool.h"
#include "printer/GMediaPool.h"

#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

GMedia* Media(uint16_t mediaId, const char* name, uint32_t orientation = 0, uint16_t xRes = 600,
              uint16_t yRes = 600, uint16_t width = 5100)
{
    return new GMedia(name, {width, 6600}, {4900, 6400}, {100, 100}, orientation, mediaId, xRes, yRes, 190, 7,
                      "first", "Plain");
}

const char* FoundName(GMediaPool& pool, uint16_t mediaId)
{
    const GMedia* media = pool.FindMedia(mediaId, 0, 600, 600);
    return media ? media->GetName().Data() : "none";
}

} // namespace

TEST(GMediaPoolFind, SkipsOtherOrientationsResolutionsAndSizesAndTakesTheEarlierOfEqualIds)
{
    GMediaPool pool(190);
    pool.Add(Media(5, "turned", 90));
    pool.Add(Media(5, "coarse", 0, 300, 600));
    pool.Add(Media(5, "short", 0, 600, 300));
    pool.Add(Media(5, "letter"));
    pool.Add(Media(5, "later"));
    pool.Add(Media(6, "wide", 0, 600, 600, 40000));
    EXPECT_STREQ("letter", FoundName(pool, 5));
    EXPECT_STREQ("none", FoundName(pool, 6));
    EXPECT_EQ(pool.At(1), pool.FindMedia(5, 0, 300, 600));
    EXPECT_EQ(pool.At(0), pool.FindMediaById(5, 90, 600));
    std::unique_ptr<GMedia> fine(Media(5, "a")), coarse(Media(5, "a", 0, 300, 600));
    EXPECT_FALSE(fine->IsSame(coarse.get()));
}

// A pool whose first member is no media holds no media at all: its search skips them.
TEST(GMediaPoolFind, MembersOfAnotherClassAreSkipped)
{
    GMediaPool pool(190);
    pool.Add(new GValueAttribute(5, 190));
    EXPECT_EQ(nullptr, pool.FindMedia(5, 0, 600, 600));
}

TEST(GCustomMediaSizeUnits, TableCellsRoundHalvesUpAndSaturate)
{
    const struct {
        uint32_t value, from, to, expected;
    } rows[] = {
        {850, 0, 1, 216},       {1100, 0, 1, 279},       {850, 0, 3, 215900},  {1100, 0, 3, 279400},
        {215900, 3, 0, 850},    {279400, 3, 0, 1100},    {250, 0, 1, 64},      {249, 0, 1, 63},
        {150, 2, 0, 2},         {149, 2, 0, 1},          {25000, 2, 1, 64},    {24999, 2, 1, 63},
        {25, 2, 3, 64},         {1500, 3, 1, 2},         {1499, 3, 1, 1},      {47, 3, 2, 19},
        {216, 1, 0, 850},       {1, 1, 2, 394},          {7, 1, 3, 7000},      {400000, 0, 1, 101600},
        {0xFFFFFFFF, 0, 2, 0xFFFFFFFF}, {12, 0, 0, 12},  {12, 4, 1, 12},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, GCustomMediaSize::ConvertUnits(row.value, row.from, row.to))
            << row.value << " from " << row.from << " to " << row.to;
}

TEST(GCustomMediaSizeUnits, ScaledConstructorAndUnitChanges)
{
    GCustomMediaSize scaled(300, "mine", 600, 600, GCustomMediaSize::kHundredthInch, 5100, 6600, 0);
    EXPECT_EQ(850u, scaled.GetSize().width);
    EXPECT_EQ(1100u, scaled.GetSize().height);
    GCustomMediaSize unresolved(300, "mine", 0, 0, GCustomMediaSize::kMillimetre, 5100, 6600, 0);
    EXPECT_EQ(0u, unresolved.GetSize().width);
    scaled.SetUnit(GCustomMediaSize::kMicrometre);
    EXPECT_EQ(215900u, scaled.GetSize().width);
    GCustomMediaSize inches(300, "mine", GCustomMediaSize::kHundredthInch, 850, 1100, 0);
    EXPECT_TRUE(inches.IsSame(&scaled));
    EXPECT_EQ(5100u, scaled.GetSizeInPixels(600, 300).width);
    EXPECT_EQ(3300u, scaled.GetSizeInPixels(600, 300).height);
}

TEST(BuildCustomMedia, MarginsComeFromThePoolElseTheGroupElseNone)
{
    // Orientation 90 of entry 0: 60 dots left and right, 120 top and bottom at 600 dpi.
    // Orientation 270: 120 dots left and right, 60 top and bottom. Entry 1 has margins
    // for 0 degrees, which no orientation of entry 0 may reach.
    GMarginEntry entry = {};
    entry.byOrientation[1] = {2540, 5080, 2540, 5080};
    entry.byOrientation[3] = {5080, 2540, 5080, 2540};
    GMarginEntry next = {};
    next.byOrientation[0] = {2540, 2540, 2540, 2540};
    GMarginPool* pool = new GMarginPool(959);
    pool->AddEntry(&entry);
    pool->AddEntry(&next);
    auto group = [](uint16_t margin) {
        GAttributeComposite* margins = new GAttributeComposite(331);
        for (long id = 332; id <= 335; ++id)
            margins->Add(new GValueAttribute(margin, id));
        return margins;
    };
    MPersistentComposite withPool, withGroup, wide, notAPool, none;
    withPool.Add(pool);
    withPool.Add(group(1000));
    withGroup.Add(group(1000));
    wide.Add(group(60000));
    notAPool.Add(new GValueAttribute(1, 959));
    notAPool.Add(group(1000));
    const struct {
        MPersistentComposite* tree;
        uint32_t orientation;
        GMediaPair paper, origin, extent;
    } rows[] = {
        {&none, 90, {6600, 5100}, {0, 0}, {6600, 5100}},
        {nullptr, 0, {5100, 6600}, {0, 0}, {5100, 6600}},
        {&withPool, 90, {6600, 5100}, {60, 120}, {6480, 4860}},
        {&withPool, 45, {5100, 6600}, {0, 0}, {5100, 6600}},
        {&withPool, 270, {6600, 5100}, {120, 60}, {6360, 4980}},
        {&withPool, 360, {5100, 6600}, {0, 0}, {5100, 6600}},
        {&withPool, 450, {5100, 6600}, {0, 0}, {5100, 6600}},
        {&withGroup, 0, {5100, 6600}, {60, 60}, {4980, 6480}},
        {&notAPool, 270, {6600, 5100}, {60, 60}, {6480, 4980}},
        {&wide, 0, {5100, 6600}, {3600, 3600}, {0, 0}},
    };
    const GCustomMediaSize size(17, "mine", GCustomMediaSize::kHundredthInch, 850, 1100, 0);
    for (const auto& row : rows) {
        std::unique_ptr<GMedia> media(BuildCustomMedia(size, row.tree, 600, 600, row.orientation));
        ASSERT_NE(nullptr, media);
        SCOPED_TRACE(&row - rows);
        EXPECT_EQ(row.paper.x, media->GetPaperSize().x);
        EXPECT_EQ(row.paper.y, media->GetPaperSize().y);
        EXPECT_EQ(row.origin.x, media->GetImageableOrigin().x);
        EXPECT_EQ(row.origin.y, media->GetImageableOrigin().y);
        EXPECT_EQ(row.extent.x, media->GetImageableExtent().x);
        EXPECT_EQ(row.extent.y, media->GetImageableExtent().y);
        EXPECT_EQ(17, media->GetMediaId());
        EXPECT_EQ(190, media->GetId());
    }
}

TEST(MediaTables, NormalizedDegreesAndMediaTypeCodes)
{
    const int32_t angles[][2] = {{-90, 270}, {-360, 0}, {-361, 359}, {370, 10}, {INT32_MIN, 232}};
    for (const auto& angle : angles)
        EXPECT_EQ(uint32_t(angle[1]), NormalizeDegrees(angle[0])) << angle[0];
    const struct {
        const char* name;
        uint16_t code;
    } names[] = {{"plain", 83}, {"Plain", 89}, {"Gloss", 97}, {"28 lb Type2", 99}, {"Envelope", 100}, {"", 83}};
    for (const auto& name : names)
        EXPECT_EQ(name.code, MediaTypeNameToCode(name.name)) << name.name;
}

TEST(GMediaStore, StoredBytesAreTheFieldsInOrder)
{
    GMedia media("A4", {4960, 7016}, {4760, 6816}, {100, 100}, 90, 9, 600, 300, 190, 7, "x", "Plain");
    media.SetSerial(3);
    const std::vector<uint8_t> expected = StoredBytes()
                                              .Root(190, 3)
                                              .U32(1)
                                              .U32(1)
                                              .U32(1)
                                              .Text("A4")
                                              .U16(4960).U16(7016).U16(4760).U16(6816).U16(100).U16(100)
                                              .U32(90).U16(600).U16(300).U16(7)
                                              .Text("x").Text("Plain").U16(9);
    EXPECT_EQ(expected, GutsBytes(media));
}

// A count the data cannot hold is refused before anything is allocated; the entries
// stay as they were.
TEST(GMarginPoolStore, HugeCountIsRefusedAndEntriesKept)
{
    GMarginEntry entry = {};
    entry.byOrientation[2].bottom = 9;
    GMarginPool pool(959);
    pool.AddEntry(&entry);
    const std::vector<uint8_t> bytes = StoredBytes().Root(959, 0).U32(1).U32(0x10000000).U32(1).U32(2);
    RestoreGutsFrom(pool, bytes);
    ASSERT_EQ(1u, pool.GetEntryCount());
    EXPECT_EQ(9u, pool.GetEntry(0)->byOrientation[2].bottom);
    EXPECT_EQ(nullptr, pool.GetEntry(1));
    EXPECT_EQ(-1, pool.AddEntry(nullptr));
}
