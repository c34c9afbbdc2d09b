#include "graphics/GCopyRowStage.h"
#include "graphics/GScalingRowStage.h"

#include "RowSourceStub.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

// Rows of two bytes that tell their own index.
std::vector<Bytes> NumberedRows(size_t n)
{
    std::vector<Bytes> rows;
    for (size_t i = 0; i < n; ++i)
        rows.push_back({uint8_t(i), uint8_t(i >> 8)});
    return rows;
}

GRowBounds Destination(int width, int height) { return {10, 0, int16_t(10 + width), int16_t(height)}; }

// Nearest neighbour: destination pixel x shows source pixel floor(x * sw / dw).
Bytes NearestNeighbour(const Bytes& row, uint32_t sw, uint32_t dw, uint32_t bits)
{
    Bytes out((dw * bits + 7) / 8, 0);
    for (uint32_t x = 0; x < dw; ++x)
        PutPixel(out, x, bits, PixelAt(row, uint32_t(uint64_t(x) * sw / dw), bits));
    return out;
}

// The 16.16 rule of packed rows, source pixel by source pixel: the step is
// ceil((dw << 16) / sw); a pixel is written once, and again for every unit the upper 16
// bits of the running sum moved past one; a pixel whose sum did not move them is followed
// by pixels passed over until they move. At most dw pixels.
Bytes SixteenSixteen(const Bytes& row, uint32_t sw, uint32_t dw, uint32_t bits)
{
    Bytes out((dw * bits + 7) / 8, 0);
    const uint64_t step = ((uint64_t(dw) << 16) + sw - 1) / sw;
    uint64_t sum = 0;
    uint32_t x = 0, i = 0;
    auto upper = [&] { return sum >> 16; };
    while (i < sw && x < dw) {
        const uint64_t was = upper();
        sum += step;
        const uint64_t moved = upper() - was;
        const uint64_t copies = moved == 0 ? 1 : moved;
        for (uint64_t k = 0; k < copies && x < dw; ++k)
            PutPixel(out, x++, bits, PixelAt(row, i, bits));
        ++i;
        bool changed = moved != 0;
        while (!changed && i < sw) {
            const uint64_t before = upper();
            sum += step;
            ++i;
            changed = upper() != before;
        }
    }
    return out;
}

// One row through a stage from sw to dw pixels.
Bytes ScaledRow(const Bytes& row, uint32_t sw, uint32_t dw, uint32_t bits)
{
    RowSourceStub source(int16_t(sw), bits, {row});
    GScalingRowStage stage(Destination(int(dw), 1));
    stage.SetSource(&source);
    if (stage.Begin() != 1)
        return {};
    auto out = ReadAllRows(stage);
    return out.size() == 1 ? out[0].bytes : Bytes();
}

} // namespace

TEST(ScalingRowStage, RepeatsAddUpToTheHeightAndEndThere)
{
    // 1 to 600: a row used more than 255 times goes out in parts. The sources hold rows
    // past their height, which must not show.
    const struct {
        int source, destination;
    } cases[] = {{100, 300}, {300, 100}, {3, 7}, {7, 3}, {1, 600}, {5, 5}};
    for (const auto& c : cases) {
        RowSourceStub source(2, 8, NumberedRows(size_t(c.source) + 5), {}, int16_t(c.source));
        GScalingRowStage stage(Destination(2, c.destination));
        stage.SetSource(&source);
        ASSERT_EQ(stage.Begin(), 1u);
        EXPECT_EQ(stage.ScalesVertically(), c.source != c.destination);
        uint32_t total = 0;
        std::vector<uint32_t> uses(size_t(c.source), 0);
        for (const DeliveredRow& row : ReadAllRows(stage)) {
            EXPECT_EQ(row.number, total);
            const uint32_t shown = row.bytes[0] | row.bytes[1] << 8;
            EXPECT_EQ(shown, total * uint32_t(c.source) / uint32_t(c.destination));
            uses[shown] += row.repeat;
            total += row.repeat;
        }
        EXPECT_EQ(total, uint32_t(c.destination)) << c.source << " to " << c.destination;
        const uint32_t low = uint32_t(c.destination / c.source), high = low + (c.destination % c.source != 0);
        uint32_t used = 0;
        for (uint32_t u : uses) {
            used += u != 0;
            if (c.destination >= c.source)
                EXPECT_TRUE(u == low || u == high) << u;
            else
                EXPECT_LE(u, 1u);
        }
        EXPECT_EQ(used, uint32_t(std::min(c.source, c.destination)));
    }
}

TEST(ScalingRowStage, PackedRowsStepInSixteenSixteen)
{
    // 3 to 7, 7 to 3 and 100 to 300 pixels at 1, 4 and 8 bits.
    const struct {
        uint32_t bits, sw, dw;
        Bytes in, out;
    } rows[] = {
        {8, 3, 7, {0x0A, 0x14, 0x1E}, {0x0A, 0x0A, 0x14, 0x14, 0x1E, 0x1E, 0x1E}},
        {1, 3, 7, {0xA0}, {0xCE}},
        {4, 3, 7, {0x12, 0x30}, {0x11, 0x22, 0x33, 0x30}},
        // Reducing writes source pixels 0, 3 and 5.
        {8, 7, 3, {0x0A, 0x14, 0x1E, 0x28, 0x32, 0x3C, 0x46}, {0x0A, 0x28, 0x3C}},
        {1, 7, 3, {0xB2}, {0xC0}},
        {4, 7, 3, {0x12, 0x34, 0x56, 0x70}, {0x14, 0x60}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ScaledRow(r.in, r.sw, r.dw, r.bits), r.out) << r.bits << ": " << r.sw << " to " << r.dw;

    // 100 to 300: a step of exactly 3, every pixel three times.
    for (uint32_t bits : {1u, 4u, 8u}) {
        Bytes in((100 * bits + 7) / 8), tripled((300 * bits + 7) / 8, 0);
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = uint8_t(i * 37 + 11);
        for (uint32_t x = 0; x < 300; ++x)
            PutPixel(tripled, x, bits, PixelAt(in, x / 3, bits));
        EXPECT_EQ(ScaledRow(in, 100, 300, bits), tripled) << bits;
        EXPECT_EQ(SixteenSixteen(in, 100, 300, bits), tripled) << bits;
    }
}

TEST(ScalingRowStage, ScalesRowsAsTheNearestNeighbour)
{
    // One 1-bit row of 8 pixels to 16: every bit doubled.
    RowSourceStub bits(8, 1, {{0xB2}});
    GScalingRowStage doubled(Destination(16, 1));
    doubled.SetSource(&bits);
    ASSERT_EQ(doubled.Begin(), 1u);
    auto out = ReadAllRows(doubled);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, (Bytes{0xCF, 0x0C}));

    std::mt19937 rng(126);
    const std::pair<uint32_t, uint32_t> widths[] = {{5, 13}, {13, 5}, {7, 3}, {3, 7}, {16, 8}, {9, 1}, {1, 9}};
    for (uint32_t depth : {1u, 2u, 4u, 8u, 24u, 32u}) {
        for (auto [sw, dw] : widths) {
            std::vector<Bytes> rows(3, Bytes((sw * depth + 7) / 8));
            for (Bytes& row : rows)
                for (uint8_t& b : row)
                    b = uint8_t(rng());
            RowSourceStub source(int16_t(sw), depth, rows);
            GScalingRowStage stage(Destination(int(dw), 3));
            stage.SetSource(&source);
            ASSERT_EQ(stage.Begin(), 1u);
            EXPECT_EQ(stage.GetMaxRowSize(), (dw * depth + 7) / 8);
            auto scaled = ReadAllRows(stage);
            ASSERT_EQ(scaled.size(), 3u);
            // Packed rows take the 16.16 rule, wider pixels the nearest neighbour.
            for (size_t r = 0; r < 3; ++r)
                EXPECT_EQ(scaled[r].bytes, depth <= 8 ? SixteenSixteen(rows[r], sw, dw, depth)
                                                      : NearestNeighbour(rows[r], sw, dw, depth))
                    << depth << ": " << sw << " to " << dw;
        }
    }
}

TEST(ScalingRowStage, UnscaledRowsGoStraightThroughAndFitTheMaximum)
{
    // The source's rows are longer than the destination's: the maximum covers them.
    const Bytes row = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    RowSourceStub source(10, 8, {row, row});
    source.SetMaxRowSize(40);
    GScalingRowStage stage(Destination(10, 2));
    stage.SetSource(&source);
    ASSERT_EQ(stage.Begin(), 1u);
    EXPECT_FALSE(stage.ScalesHorizontally());
    EXPECT_FALSE(stage.ScalesVertically());
    EXPECT_EQ(stage.GetMaxRowSize(), 40u);
    auto out = ReadAllRows(stage);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].bytes, row);

    // A depth that cannot be scaled across leaves the stage out.
    RowSourceStub twelve(10, 12, {Bytes(15)});
    GScalingRowStage across(Destination(20, 1));
    across.SetSource(&twelve);
    EXPECT_EQ(across.Begin(), 0u);
}

TEST(ScalingRowStage, SkipsForwardToTheSourceAsSourceRows)
{
    // Without vertical scaling the count passes unchanged, also through a copy stage.
    RowSourceStub plain(4, 8, NumberedRows(20));
    GScalingRowStage across(Destination(8, 20));
    across.SetSource(&plain);
    ASSERT_EQ(across.Begin(), 1u);
    across.SkipRows(5);
    EXPECT_EQ(plain.Skipped(), 5u);
    GCopyRowStage copy(Destination(8, 20));
    copy.SetSource(&across);
    copy.SkipRows(3);
    EXPECT_EQ(plain.Skipped(), 8u);
    auto rest = ReadAllRows(copy);
    ASSERT_EQ(rest.size(), 12u);
    EXPECT_EQ(rest[0].number, 8);
    EXPECT_EQ(rest[0].bytes[0], 8);

    // 100 rows to 300: skipping 7 destination rows lands inside source row 2.
    RowSourceStub tall(2, 8, NumberedRows(100));
    GScalingRowStage enlarge(Destination(2, 300));
    enlarge.SetSource(&tall);
    ASSERT_EQ(enlarge.Begin(), 1u);
    enlarge.SkipRows(7);
    EXPECT_EQ(tall.Skipped(), 2u);
    auto out = ReadAllRows(enlarge);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0].number, 7);
    EXPECT_EQ(out[0].bytes[0], 2);
    EXPECT_EQ(out[0].repeat, 2);

    // A count past the height ends the image; no 16-bit sum wraps it round.
    RowSourceStub shortSource(2, 8, NumberedRows(10));
    GScalingRowStage shrink(Destination(2, 5));
    shrink.SetSource(&shortSource);
    ASSERT_EQ(shrink.Begin(), 1u);
    shrink.SkipRows(65536 + 2);
    EXPECT_TRUE(ReadAllRows(shrink).empty());
}
