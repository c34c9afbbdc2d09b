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
            for (size_t r = 0; r < 3; ++r)
                EXPECT_EQ(scaled[r].bytes, NearestNeighbour(rows[r], sw, dw, depth)) << depth << ": " << sw << " to " << dw;
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
