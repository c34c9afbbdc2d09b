#include "graphics/GDitherMatrix.h"
#include "graphics/GDitherRowStage.h"
#include "graphics/GPaletteTable.h"
#include "graphics/GRGBColor.h"

#include "RowSourceStub.h"

#include <gtest/gtest.h>

#include <bitset>
#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

// A source with a palette of its own.
class PaletteSource : public RowSourceStub {
public:
    using RowSourceStub::RowSourceStub;
    const GPaletteTable* GetPalette() override { return &palette; }
    GPaletteTable palette;
};

GDitherMatrix Matrix(uint8_t width, uint8_t height, const Bytes& thresholds)
{
    return GDitherMatrix(width, height, thresholds.data(), 600, 0);
}

// Begins the stage over the source and reads every row with its number.
std::vector<std::pair<uint16_t, Bytes>> Dither(GDitherRowStage& stage, GRowCompressor& source)
{
    stage.SetSource(&source);
    EXPECT_EQ(stage.Begin(), 1u);
    std::vector<std::pair<uint16_t, Bytes>> out;
    for (const DeliveredRow& row : ReadAllRows(stage)) {
        EXPECT_EQ(row.repeat, 1);
        out.emplace_back(row.number, row.bytes);
    }
    return out;
}

} // namespace

TEST(DitherRowStage, ALevelAtOrAboveTheThresholdGivesOne)
{
    const GDitherMatrix matrix = Matrix(2, 1, {128, 129});
    RowSourceStub source(2, 8, {{128, 128}});
    GDitherRowStage stage({0, 0, 2, 1}, &matrix, nullptr);
    auto out = Dither(stage, source);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].second, Bytes{0x80});
    EXPECT_EQ(stage.GetBitsPerPixel(), 1u);
    const GPaletteTable* palette = stage.GetPalette();
    ASSERT_EQ(palette->GetCount(), 2u);
    EXPECT_EQ(static_cast<const GRGBColor*>(palette->GetColor(0))->GetRed(), 0);
    EXPECT_EQ(static_cast<const GRGBColor*>(palette->GetColor(1))->GetRed(), 255);
}

TEST(DitherRowStage, ARepeatedRowComesOutOncePerMatrixRow)
{
    // Ten pixels of level 100 against rows of thresholds 50, 150, 50.
    const GDitherMatrix matrix = Matrix(1, 3, {50, 150, 50});
    RowSourceStub source(10, 8, {Bytes(10, 100)}, {3});
    GDitherRowStage stage({0, 0, 10, 3}, &matrix, nullptr);
    auto out = Dither(stage, source);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], std::make_pair(uint16_t(0), Bytes{0xFF, 0xC0}));
    EXPECT_EQ(out[1], std::make_pair(uint16_t(1), Bytes{0x00, 0x00}));
    EXPECT_EQ(out[2], std::make_pair(uint16_t(2), Bytes{0xFF, 0xC0}));
}

TEST(DitherRowStage, AFlatLevelOverATileSetsOneBitPerThresholdAtOrBelowIt)
{
    std::mt19937 rng(166);
    Bytes thresholds(16 * 16);
    for (uint8_t& t : thresholds)
        t = uint8_t(rng());
    const GDitherMatrix matrix = Matrix(16, 16, thresholds);
    for (int level : {0, 1, 77, 128, 200, 255}) {
        // The tile starts anywhere on the page: the image sits at column 10.
        RowSourceStub source(16, 8, std::vector<Bytes>(16, Bytes(16, uint8_t(level))));
        GDitherRowStage stage({10, 0, 26, 16}, &matrix, nullptr);
        size_t set = 0;
        for (const auto& row : Dither(stage, source))
            for (uint8_t b : row.second)
                set += std::bitset<8>(b).count();
        EXPECT_EQ(set, size_t(std::count_if(thresholds.begin(), thresholds.end(), [&](uint8_t t) { return t <= level; })))
            << level;
    }
}

TEST(DitherRowStage, PackedPixelsGiveOneLevelAtEveryBitPosition)
{
    // Without a palette a 1-bit 1 is white and a 4-bit value v is 17 v, wherever the
    // pixel sits in its byte.
    const GDitherMatrix high = Matrix(1, 1, {200});
    RowSourceStub ones(8, 1, {{0xFF}, {0x00}});
    GDitherRowStage oneBit({0, 0, 8, 2}, &high, nullptr);
    auto out = Dither(oneBit, ones);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].second, Bytes{0xFF});
    EXPECT_EQ(out[1].second, Bytes{0x00});

    for (auto [threshold, expected] : {std::pair<uint8_t, uint8_t>{136, 0xF0}, {137, 0x00}}) {
        const GDitherMatrix matrix = Matrix(1, 1, {threshold});
        RowSourceStub eights(4, 4, {{0x88, 0x88}});
        GDitherRowStage fourBit({0, 0, 4, 1}, &matrix, nullptr);
        EXPECT_EQ(Dither(fourBit, eights).at(0).second, Bytes{expected}) << int(threshold);
    }

    // With a palette the levels are the colours': white, black turns 0 white.
    const GDitherMatrix middle = Matrix(1, 1, {128});
    PaletteSource paletted(8, 1, {{0x0F}});
    GDitherRowStage withPalette({0, 0, 8, 1}, &middle, nullptr);
    EXPECT_EQ(Dither(withPalette, paletted).at(0).second, Bytes{0xF0});
    // A level function of the caller's decides instead.
    PaletteSource inverted(8, 1, {{0x0F}});
    GDitherRowStage withLevel({0, 0, 8, 1}, &middle, [](uint8_t r, uint8_t, uint8_t) { return uint8_t(255 - r); });
    EXPECT_EQ(Dither(withLevel, inverted).at(0).second, Bytes{0x0F});
}

TEST(DitherRowStage, RefusesWhatItCannotDither)
{
    const GDitherMatrix good = Matrix(2, 2, {1, 2, 3, 4}), narrow = Matrix(0, 2, {}), flat = Matrix(2, 0, {});
    RowSourceStub gray(4, 8, {Bytes(4)}), colour(4, 24, {Bytes(12)});
    const struct {
        const GDitherMatrix* matrix;
        RowSourceStub* source;
    } cases[] = {{nullptr, &gray}, {&narrow, &gray}, {&flat, &gray}, {&good, &colour}, {&good, nullptr}};
    for (const auto& c : cases) {
        GDitherRowStage stage({0, 0, 4, 1}, c.matrix, nullptr);
        stage.SetSource(c.source);
        EXPECT_EQ(stage.Begin(), 0u);
    }
}
