#include "../model/StoredForms.h"

#include "foundation/RWException.h"
#include "graphics/GGrayConversion.h"
#include "graphics/GPaletteTable.h"
#include "graphics/GRGBColor.h"
#include "model/GValueAttribute.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// A stored palette of the given count, ready for its colour references.
StoredBytes PaletteHead(uint32_t count) { return StoredBytes().LeadIn().Object(553).Root(4, 0).U32(1).U32(count); }

StoredBytes& Color(StoredBytes& bytes, uint8_t level)
{
    return bytes.Object(53).Root(0, 0).U32(1).U32(1).U8(level).U8(level).U8(level).U8(255);
}

} // namespace

TEST(RGBColor, ArithmeticWrapsPerComponentAndLeavesAZeroDivisorsDividend)
{
    const GRGBColor a(200, 100, 50, 7);
    const GRGBColor b(100, 200, 250, 7);
    const std::pair<GRGBColor, GRGBColor> rows[] = {
        {a + b, GRGBColor(44, 44, 44, 255)},
        {a - b, GRGBColor(100, 156, 56, 255)},
        {a * uint8_t(2), GRGBColor(144, 200, 100, 255)},
        {uint8_t(10) - a, GRGBColor(66, 166, 216, 255)},
        {a / GRGBColor(0, 3, 0, 0), GRGBColor(200, 33, 50, 255)},
        {a / uint8_t(0), GRGBColor(200, 100, 50, 255)},
        {uint8_t(9) / GRGBColor(0, 3, 10, 0), GRGBColor(9, 3, 0, 255)},
    };
    for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i)
        EXPECT_TRUE(rows[i].first.IsSame(&rows[i].second)) << i;
}

TEST(RGBColor, StoresTwoVersionWordsThenItsFourBytes)
{
    GRGBColor color(1, 2, 3, 4);
    color.SetSerial(9);
    EXPECT_EQ(StoredBytes().Root(0, 9).U32(1).U32(1).U8(1).U8(2).U8(3).U8(4).Get(), GutsBytes(color));
}

TEST(GrayConversion, FixedWeightsTablesAndLoadedWeights)
{
    EXPECT_EQ(255, GrayFixed(255, 255, 255));
    EXPECT_EQ(0, GrayFixed(0, 0, 0));
    EXPECT_EQ(76, GrayFixed(255, 0, 0));

    std::vector<uint8_t> tables(kGrayTablesSize, 0);
    for (int i = 0; i < 256; ++i) {
        tables[i] = uint8_t(i);     // red gives the level
        tables[768 + i] = 17;       // a tone that W = 0 never shows
    }
    ASSERT_TRUE(LoadGrayTables(tables.data(), tables.size()));
    for (int level = 0; level < 256; ++level)
        EXPECT_EQ(level, GrayByTables(uint8_t(level), 90, 3)) << level;
    tables[1024 + 255] = 255;
    EXPECT_FALSE(LoadGrayTables(tables.data(), kGrayTablesSize - 1));
    EXPECT_EQ(255, GrayByTables(255, 0, 0)) << "a short load changes nothing";

    // The shift counts below 32 and the weighted level stops at 255.
    const uint8_t wide[] = {33, 255, 255, 255};
    ASSERT_TRUE(SetGrayWeights(wide, 4));
    EXPECT_EQ(255, GrayByWeights(255, 255, 255));
    const uint8_t masked[] = {40, 2, 0, 0};
    ASSERT_TRUE(SetGrayWeights(masked, 4));
    EXPECT_EQ(1, GrayByWeights(255, 255, 255));
}

TEST(PaletteTable, StartsWithWhiteAndBlackAndRefusesAnIndexPastTheEnd)
{
    GPaletteTable palette;
    ASSERT_EQ(2u, palette.GetCount());
    EXPECT_TRUE(palette.GetColor(0)->IsSame(std::make_unique<GRGBColor>(255, 255, 255, 255).get()));
    EXPECT_TRUE(palette.GetColor(1)->IsSame(std::make_unique<GRGBColor>(0, 0, 0, 255).get()));
    EXPECT_TRUE(palette.IsGray());
    TestErrorCapture capture;
    EXPECT_EQ(nullptr, palette.GetColor(2));
    EXPECT_TRUE(capture.LastIs<RWBoundsError>()) << capture.Last();
    palette.AddColor(new GRGBColor(1, 2, 2, 0));
    EXPECT_FALSE(palette.IsGray());
}

TEST(PaletteTable, AColourStoredTwiceReadsBackAsTwoOwnedColours)
{
    StoredBytes twice = PaletteHead(2);
    Color(twice, 7).Ref(2);
    std::unique_ptr<GObjectBase> back = AsModel(RestoredFromBytes(twice));
    GPaletteTable* palette = dynamic_cast<GPaletteTable*>(back.get());
    ASSERT_TRUE(palette);
    ASSERT_EQ(2u, palette->GetCount());
    EXPECT_NE(palette->GetColor(0), palette->GetColor(1));
    EXPECT_TRUE(palette->GetColor(0)->IsSame(palette->GetColor(1)));

    // A member that is no colour, a nil member or a count the data cannot hold stops the
    // read: the palette keeps the colours it had.
    StoredBytes notColor = PaletteHead(2);
    Color(notColor, 7).Object(763).Root(0, 0).U32(1).U16(5);
    StoredBytes nil = PaletteHead(2);
    Color(nil, 7).Nil();
    StoredBytes tooMany = PaletteHead(1000);
    Color(tooMany, 7);
    for (const StoredBytes* bad : {&notColor, &nil, &tooMany}) {
        TestErrorCapture capture;
        std::unique_ptr<GObjectBase> kept = AsModel(RestoredFromBytes(*bad));
        GPaletteTable* damaged = dynamic_cast<GPaletteTable*>(kept.get());
        ASSERT_TRUE(damaged);
        EXPECT_EQ(2u, damaged->GetCount());
        EXPECT_TRUE(damaged->GetColor(1)->IsSame(std::make_unique<GRGBColor>(0, 0, 0, 255).get()));
    }
}
