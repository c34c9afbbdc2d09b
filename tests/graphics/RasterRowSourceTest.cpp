#include "graphics/GBitmapRowStage.h"
#include "graphics/GClipRowStage.h"
#include "graphics/GClipToSingleRectangle.h"
#include "graphics/GCopyRowStage.h"
#include "graphics/GDitherMatrix.h"
#include "graphics/GDitherRowStage.h"
#include "graphics/GRGBColor.h"
#include "graphics/GRasterRowSource.h"
#include "graphics/GRowPadder.h"
#include "graphics/GRunLengthCompressor.h"
#include "graphics/GScalingRowStage.h"

#include "RowSourceStub.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using Bytes = std::vector<uint8_t>;

// A bitmap over the caller's bits, rows of whole bytes with no alignment.
GBitmap Bitmap(Bytes& bits, int16_t width, int16_t height, uint8_t depth, GPaletteTable* palette = nullptr)
{
    GBitmapInfo info;
    info.bits = bits.data();
    info.bitsSize = uint32_t(bits.size());
    info.bounds = GRect{0, 0, width, height};
    info.bitsPerPixel = depth;
    info.palette = palette;
    return GBitmap(info);
}

// Pixels from..from + width of the row, packed again from the first bit.
Bytes Crop(const Bytes& row, uint32_t from, uint32_t width, uint32_t bits)
{
    Bytes out((width * bits + 7) / 8, 0);
    for (uint32_t x = 0; x < width; ++x)
        PutPixel(out, x, bits, PixelAt(row, from + x, bits));
    return out;
}

Bytes UnpackBits(const Bytes& in)
{
    Bytes row;
    for (size_t i = 0; i < in.size();) {
        const uint8_t c = in[i++];
        if (c < 128)
            row.insert(row.end(), in.begin() + long(i), in.begin() + long(i + c + 1)), i += c + 1;
        else if (c > 128)
            row.insert(row.end(), size_t(257 - c), in[i++]);
    }
    return row;
}

// The chain's stages as letters: bitmap, copy, scaling, clip, dither, final.
std::string Kinds(const GRasterRowSource& chain)
{
    std::string kinds;
    for (GRowCompressor* stage : chain.Stages()) {
        kinds += dynamic_cast<GBitmapRowStage*>(stage)   ? 'B'
                 : dynamic_cast<GScalingRowStage*>(stage) ? 'S'
                 : dynamic_cast<GCopyRowStage*>(stage)    ? 'C'
                 : dynamic_cast<GClipRowStage*>(stage)    ? 'K'
                 : dynamic_cast<GDitherRowStage*>(stage)  ? 'D'
                                                          : 'F';
    }
    return kinds;
}

// A stage that counts its deletions and answers Begin as told.
class CountedStage : public GCopyRowStage {
public:
    CountedStage(std::vector<int>& deletions, size_t index, uint32_t begins)
        : GCopyRowStage({0, 0, 4, 4}), deletions_(deletions), index_(index), begins_(begins)
    {
    }
    ~CountedStage() override { ++deletions_[index_]; }
    uint32_t Begin() override { return begins_; }

private:
    std::vector<int>& deletions_;
    size_t index_;
    uint32_t begins_;
};

const Bytes kThresholds = {10, 200, 60, 250, 130, 30, 180, 90, 40, 220, 20, 160, 240, 110, 70, 140};

} // namespace

TEST(BitmapRowStage, KindsConvertAndInvertThePixels)
{
    Bytes colour = {10, 20, 30, 200, 100, 0};
    const GBitmap bitmap24 = Bitmap(colour, 2, 1, 24);
    const uint8_t gray0 = uint8_t((30 * 30 + 59 * 20 + 11 * 10) / 100), gray1 = uint8_t((59 * 100 + 11 * 200) / 100);
    const struct {
        uint32_t kind, bits;
        Bytes row;
    } cases[] = {
        {0, 8, {gray0, gray1}},
        {4, 8, {uint8_t(255 - gray0), uint8_t(255 - gray1)}},
        {1, 8, {uint8_t(255 - gray0), uint8_t(255 - gray1)}},
        {2, 24, colour},
    };
    for (const auto& c : cases) {
        GBitmapRowStage stage({0, 0, 2, 1}, bitmap24, c.kind);
        EXPECT_EQ(stage.GetBitsPerPixel(), c.bits);
        EXPECT_EQ(stage.GetPalette(), nullptr);
        auto rows = ReadAllRows(stage);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].bytes, c.row) << c.kind;
    }

    // Kind 1 inverts a palette instead of the pixels: black, white becomes white, black.
    const GRGBColor black(0, 0, 0, 255), white(255, 255, 255, 255);
    Bytes indexed = {0x40};
    const GBitmap bitmap1 = Bitmap(indexed, 8, 1, 1, new GPaletteTable({&black, &white}));
    GBitmapRowStage inverted({0, 0, 8, 1}, bitmap1, 1);
    const GPaletteTable* palette = inverted.GetPalette();
    ASSERT_NE(palette, nullptr);
    ASSERT_EQ(palette->GetCount(), 2u);
    EXPECT_EQ(static_cast<const GRGBColor*>(palette->GetColor(0))->GetRed(), 255);
    EXPECT_EQ(static_cast<const GRGBColor*>(palette->GetColor(1))->GetRed(), 0);
    EXPECT_EQ(ReadAllRows(inverted).at(0).bytes, indexed);
    GBitmapRowStage plain({0, 0, 8, 1}, bitmap1, 2);
    EXPECT_EQ(plain.GetPalette(), bitmap1.GetPalette());
}

TEST(BitmapRowStage, ReadsOnlyInsideTheBitmapAndStopsAtTheBottom)
{
    Bytes bits(5 * 4);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = uint8_t(i);
    const GBitmap bitmap = Bitmap(bits, 5, 4, 8);

    // A rectangle larger than the bitmap is cut to it.
    GBitmapRowStage wide({-3, -2, 9, 9}, bitmap, 2);
    GRowBounds bounds;
    wide.GetBounds(bounds);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 0);
    EXPECT_EQ(bounds.right, 5);
    EXPECT_EQ(bounds.bottom, 4);
    EXPECT_EQ(wide.GetMaxRowSize(), 5u);
    auto rows = ReadAllRows(wide);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[3].bytes, (Bytes{15, 16, 17, 18, 19}));
    EXPECT_EQ(rows[3].number, 3);

    GBitmapRowStage none({1, 2, 4, 2}, bitmap, 2);
    EXPECT_TRUE(ReadAllRows(none).empty());

    GBitmapRowStage skipping({1, 1, 3, 4}, bitmap, 2);
    skipping.SkipRows(2);
    rows = ReadAllRows(skipping);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].bytes, (Bytes{16, 17}));
    EXPECT_EQ(rows[0].number, 2);
    skipping.SkipRows(100000);
    EXPECT_TRUE(ReadAllRows(skipping).empty());
}

TEST(ClipRowStage, CutsWidthsToWholeBytesWithAMaskedLastByte)
{
    const struct {
        int16_t left, right;
        uint16_t rowBytes;
        uint8_t mask;
        Bytes row;
    } cases[] = {
        {10, 20, 2, 0xC0, {0xFF, 0xC0}},
        {12, 28, 2, 0x00, {0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        RowSourceStub source(32, 1, {Bytes(4, 0xFF)});
        const GClipToSingleRectangle clip({c.left, 0, c.right, 1}, 0, 0);
        GClipRowStage stage(&clip);
        stage.SetSource(&source);
        ASSERT_EQ(stage.Begin(), 1u);
        // Room for the byte after the source's row, which the move reads.
        EXPECT_EQ(stage.GetMaxRowSize(), 5u);
        EXPECT_EQ(stage.GetRowBytes(), c.rowBytes);
        EXPECT_EQ(stage.GetLastByteMask(), c.mask);
        EXPECT_EQ(ReadAllRows(stage).at(0).bytes, c.row);
    }
}

TEST(ClipRowStage, MovesRowsToTheClippedLeftBitAtEveryOffset)
{
    std::mt19937 rng(104);
    for (uint32_t bits : {1u, 4u, 8u}) {
        std::vector<Bytes> rows(3, Bytes((37 * bits + 7) / 8));
        for (Bytes& row : rows)
            for (uint8_t& b : row)
                b = uint8_t(rng());
        for (uint32_t offset = 0; offset < 10; ++offset) {
            for (uint32_t width : {1u, 7u, 9u, 37u - offset}) {
                RowSourceStub source(37, bits, rows);
                const GClipToSingleRectangle clip({int16_t(10 + offset), 1, int16_t(10 + offset + width), 3}, 0, 0);
                GClipRowStage stage(&clip);
                stage.SetSource(&source);
                ASSERT_EQ(stage.Begin(), 1u);
                auto out = ReadAllRows(stage);
                ASSERT_EQ(out.size(), 2u);
                for (size_t r = 0; r < 2; ++r) {
                    EXPECT_EQ(out[r].number, r);
                    EXPECT_EQ(out[r].bytes, Crop(rows[r + 1], offset, width, bits))
                        << bits << " bits, offset " << offset << ", width " << width;
                }
            }
        }
    }
}

TEST(ClipRowStage, EndsAtTheClippedHeightWithRepeatsCutToIt)
{
    // Rows that the source repeats 200 times: the clip lets 50 through, then ends.
    RowSourceStub source(8, 8, std::vector<Bytes>(5, Bytes(8, 1)), {200, 200, 200, 200, 200}, 1000);
    const GClipToSingleRectangle clip({10, 0, 14, 50}, 0, 0);
    GClipRowStage stage(&clip);
    stage.SetSource(&source);
    ASSERT_EQ(stage.Begin(), 1u);
    auto out = ReadAllRows(stage);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].repeat, 50);

    // A clip that meets nothing of the image lets nothing through.
    RowSourceStub hidden(8, 8, {Bytes(8, 1)});
    const GClipToSingleRectangle away({100, 100, 120, 120}, 0, 0);
    GClipRowStage empty(&away);
    empty.SetSource(&hidden);
    ASSERT_EQ(empty.Begin(), 1u);
    GRowBounds bounds;
    empty.GetBounds(bounds);
    EXPECT_EQ(bounds.right - bounds.left, 0);
    EXPECT_TRUE(ReadAllRows(empty).empty());
}

TEST(RasterRowSource, ChoosesItsStagesByModeForceAndClip)
{
    const GDitherMatrix matrix(4, 4, kThresholds.data(), 600, 0);
    Bytes gray(100, 0x80), mono(20, 0x55), colour(300, 0x40);
    const GRect image = {0, 0, 10, 10}, same = {100, 100, 110, 110}, double_ = {0, 0, 20, 20}, small = {0, 0, 5, 5};
    const GClipToSingleRectangle half({100, 100, 105, 110}, 0, 0), quarter({0, 0, 4, 5}, 0, 0),
        other({100, 100, 105, 110}, 1, 0), whole({-50, -50, 500, 500}, 0, 0);
    const struct {
        uint32_t mode, force;
        GRect destination;
        const GClipAttribute* clip;
        const Bytes* bits;
        uint8_t depth;
        uint32_t kind;
        const char* kinds;
        GRect source;
    } cases[] = {
        {0, 0, double_, nullptr, &gray, 8, 2, "BSF", image},
        {0, 0, same, nullptr, &gray, 8, 2, "BF", image},
        {0, 1, same, nullptr, &gray, 8, 2, "BCF", image},
        {0, 1, same, &half, &gray, 8, 2, "BSKF", {0, 0, 5, 10}},
        {0, 0, same, &half, &gray, 8, 2, "BSKF", {0, 0, 5, 10}},
        {0, 0, small, &quarter, &gray, 8, 2, "BF", image},
        {1, 0, same, nullptr, &gray, 8, 2, "BCDF", image},
        {1, 0, same, nullptr, &colour, 24, 2, "BCF", image},
        {1, 0, same, nullptr, &colour, 24, 0, "BCDF", image},
        {1, 0, same, &other, &gray, 8, 2, "BCDF", image},
        {1, 0, same, &whole, &gray, 8, 2, "BCDF", image},
        {1, 0, same, &half, &gray, 8, 2, "BCKDF", {0, 0, 5, 10}},
        {2, 0, same, nullptr, &gray, 8, 2, "BCDF", image},
        {2, 0, same, nullptr, &mono, 1, 2, "BF", image},
        {3, 1, double_, nullptr, &gray, 8, 2, "BF", image},
    };
    for (const auto& c : cases) {
        Bytes bits = *c.bits;
        GRect source = image;
        std::unique_ptr<GRasterRowSource> chain(CreateRasterRowSource(c.destination, source, c.clip,
                                                                      Bitmap(bits, 10, 10, c.depth), c.kind, c.mode,
                                                                      &matrix, new GRowPadder(1, 0), c.force, nullptr));
        const int at = int(&c - cases);
        EXPECT_EQ(Kinds(*chain), c.kinds) << "row " << at;
        EXPECT_TRUE(source == c.source) << "row " << at;
        EXPECT_TRUE(chain->FinalStageKept());
    }

    // A source partly outside the bitmap arrives cut to it, so it is scaled to its
    // destination rather than copied under bounds that claim more than arrives.
    Bytes bits = gray;
    GRect outside = {5, 0, 15, 10};
    std::unique_ptr<GRasterRowSource> chain(CreateRasterRowSource(same, outside, nullptr, Bitmap(bits, 10, 10, 8), 2, 1,
                                                                  &matrix, new GRowPadder(1, 0), 0, nullptr));
    EXPECT_EQ(Kinds(*chain), "BSDF");
    auto rows = ReadAllRows(*chain);
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0].bytes.size(), 2u);
}

TEST(RasterRowSource, AClippedScaledDitheredChainDeliversExactlyTheClippedRows)
{
    Bytes bits(40 * 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            bits[size_t(y * 40 + x)] = uint8_t(x * 7 + y * 13);
    const GDitherMatrix matrix(4, 4, kThresholds.data(), 600, 0);
    const GRect destination = {100, 100, 180, 160}, clipped = {113, 121, 151, 141};
    const GClipToSingleRectangle clip(clipped, 0, 0);
    GRect source = {0, 0, 40, 30};
    std::unique_ptr<GRasterRowSource> chain(CreateRasterRowSource(destination, source, &clip, Bitmap(bits, 40, 30, 8),
                                                                  2, 1, &matrix, new GRunLengthCompressor(1, 0), 0,
                                                                  nullptr));
    ASSERT_EQ(Kinds(*chain), "BSKDF");
    EXPECT_TRUE(source == (GRect{6, 10, 26, 21}));
    // The chain's bounds are the rows it delivers.
    GRowBounds bounds;
    chain->GetBounds(bounds);
    EXPECT_TRUE((GRect{bounds.left, bounds.top, bounds.right, bounds.bottom}) == clipped);

    auto rows = ReadAllRows(*chain);
    ASSERT_EQ(rows.size(), 20u);
    for (size_t r = 0; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].repeat, 1);
        const Bytes row = UnpackBits(rows[r].bytes);
        ASSERT_EQ(row.size(), 5u);
        const int y = 121 + int(r);
        for (int x = 113; x < 151; ++x) {
            const uint8_t level = bits[size_t((y - 100) / 2 * 40 + (x - 100) / 2)];
            const bool on = level >= kThresholds[size_t(y % 4 * 4 + x % 4)];
            const int i = x - 113;
            EXPECT_EQ(bool(row[size_t(i / 8)] & (0x80 >> (i % 8))), on) << x << ", " << y;
        }
        EXPECT_EQ(row[4] & 0x03, 0);
    }
}

TEST(RasterRowSource, OwnsEveryStageAndFailsWithoutItsFinalStage)
{
    std::vector<int> deletions(6, 0);
    {
        // The clip stage cannot begin and goes at once; the rest go with the chain.
        GRasterRowSource chain(new CountedStage(deletions, 0, 1), new CountedStage(deletions, 1, 1),
                               new CountedStage(deletions, 2, 1), new CountedStage(deletions, 3, 0),
                               new CountedStage(deletions, 4, 1), new CountedStage(deletions, 5, 1));
        EXPECT_EQ(deletions, (std::vector<int>{0, 0, 0, 1, 0, 0}));
        EXPECT_EQ(chain.Stages().size(), 5u);
        EXPECT_EQ(chain.Stages()[3]->GetSource(), chain.Stages()[2]);
        EXPECT_TRUE(chain.FinalStageKept());
    }
    EXPECT_EQ(deletions, std::vector<int>(6, 1));

    // A final stage that cannot begin: the chain delivers nothing and says why.
    deletions.assign(6, 0);
    {
        GRasterRowSource chain(new CountedStage(deletions, 0, 1), nullptr, nullptr, nullptr, nullptr,
                               new CountedStage(deletions, 5, 0));
        EXPECT_FALSE(chain.FinalStageKept());
        uint32_t status = 0;
        EXPECT_TRUE(ReadAllRows(chain, &status).empty());
        EXPECT_EQ(status, GRowCompressor::kFinalStageDropped);
    }
    EXPECT_EQ(deletions, (std::vector<int>{1, 0, 0, 0, 0, 1}));

    // Through the builder: a compressor that cannot hold the row is dropped and reported.
    Bytes bits(4, 1);
    GRect source = {0, 0, 4, 1};
    std::unique_ptr<GRasterRowSource> chain(CreateRasterRowSource(
        {0, 0, 4, 1}, source, nullptr, Bitmap(bits, 4, 1, 8), 2, 0, nullptr, new CountedStage(deletions, 4, 0), 0,
        nullptr));
    EXPECT_EQ(deletions[4], 1);
    EXPECT_FALSE(chain->FinalStageKept());
}
