#include "graphics/GDeltaRowCompressor.h"
#include "graphics/GRowPadder.h"
#include "graphics/GRunLengthCompressor.h"
#include "graphics/GSeedRowCompressor.h"

#include "RowSourceStub.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <set>

namespace {

using Bytes = std::vector<uint8_t>;
using Stage = std::unique_ptr<GRowCompressor>;

struct Output {
    Bytes bytes;
    uint8_t repeat, rows;
};

// Begins the stage over the source and reads every row; each output fits the maximum.
std::vector<Output> Drain(GRowCompressor& stage, RowSourceStub& source, uint32_t* status = nullptr)
{
    stage.SetSource(&source);
    EXPECT_EQ(stage.Begin(), 1u);
    std::vector<Output> out;
    Bytes buffer(stage.GetMaxRowSize() + 16);
    for (;;) {
        uint16_t number = 0;
        uint32_t length = 0, result;
        uint8_t repeat = 1, rows = 1;
        result = stage.ReadRow(buffer.data(), number, length, repeat, rows);
        if (status)
            *status = result;
        if (length == 0)
            return out;
        EXPECT_LE(length, stage.GetMaxRowSize());
        out.push_back({Bytes(buffer.begin(), buffer.begin() + length), repeat, rows});
    }
}

// Decoders written from the public descriptions of the formats.
Bytes UnpackBits(const uint8_t* p, size_t n)
{
    Bytes row;
    for (size_t i = 0; i < n;) {
        const uint8_t c = p[i++];
        if (c < 128)
            row.insert(row.end(), p + i, p + i + c + 1), i += c + 1;
        else if (c > 128)
            row.insert(row.end(), size_t(257 - c), p[i++]);
    }
    return row;
}

void ApplyDelta(Bytes& seed, const uint8_t* p, size_t n)
{
    for (size_t i = 0, at = 0; i < n;) {
        const size_t count = (p[i] >> 5) + 1;
        size_t offset = p[i++] & 31;
        for (uint8_t more = offset == 31 ? 255 : 0; more == 255; offset += more)
            more = p[i++];
        at += offset;
        for (size_t k = 0; k < count; ++k)
            seed.at(at++) = p[i++];
    }
}

// The adaptive method: blocks of method, 16-bit length (high byte first), data.
void DecodeAdaptive(const Bytes& in, Bytes& seed, std::vector<Bytes>& rows, std::set<int>& methods)
{
    for (size_t i = 0; i + 3 <= in.size();) {
        const uint8_t method = in[i];
        const size_t n = size_t(in[i + 1]) << 8 | in[i + 2];
        const uint8_t* data = in.data() + i + 3;
        methods.insert(method);
        i += 3 + (method == 5 ? 0 : n);
        ASSERT_LE(i, in.size());
        Bytes row = method == 0 ? Bytes(data, data + n) : method == 2 ? UnpackBits(data, n) : seed;
        if (method == 3)
            ApplyDelta(row, data, n);
        row.resize(seed.size());
        seed = row;
        rows.insert(rows.end(), method == 5 ? n : 1, seed);
    }
}

Stage Padder(uint16_t unit, uint32_t invert) { return Stage(new GRowPadder(unit, invert)); }
Stage RunLength(uint16_t unit, uint32_t invert) { return Stage(new GRunLengthCompressor(unit, invert)); }
Stage Delta(uint32_t prefix) { return Stage(new GDeltaRowCompressor(4, 0, prefix)); }
Stage Seed() { return Stage(new GSeedRowCompressor(1, 0)); }

Bytes Counting(size_t n, size_t from = 0)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(from + i * 7 + 1);
    return b;
}

Bytes With(Bytes b, std::initializer_list<std::pair<size_t, uint8_t>> set)
{
    for (auto [at, value] : set)
        b[at] = value;
    return b;
}

Bytes Cat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST(RowCompressors, CodeSingleRowsExactly)
{
    const Bytes literal127 = Counting(127), literal128 = Counting(128);
    const struct {
        std::function<Stage()> make;
        Bytes row, expected;
    } cases[] = {
        {[] { return RunLength(1, 0); }, {1, 1, 1, 2, 3}, {254, 1, 1, 2, 3}},
        {[] { return RunLength(1, 0); }, {1, 2, 2, 3}, {3, 1, 2, 2, 3}},
        {[] { return RunLength(1, 0); }, {1, 2, 2, 2, 3}, {0, 1, 254, 2, 0, 3}},
        {[] { return RunLength(1, 0); }, Bytes(129, 9), {129, 9, 0, 9}},
        {[] { return RunLength(1, 0); }, literal127, Cat({126}, literal127)},
        {[] { return RunLength(1, 0); }, literal128, Cat({127}, literal128)},
        {[] { return RunLength(1, 0); }, Cat(literal128, {5}), Cat(Cat({127}, literal128), {0, 5})},
        {[] { return RunLength(4, 1); }, {0, 0, 0, 1, 2}, {254, 255, 1, 254, 253, 254, 0}},
        {[] { return Padder(4, 1); }, {0, 0, 0, 1, 2}, {255, 255, 255, 254, 253, 0, 0, 0}},
        {[] { return Padder(1, 0); }, {0, 0, 0, 1, 2}, {0, 0, 0, 1, 2}},
        {[] { return Delta(0); }, With(Bytes(40), {{30, 7}}), {30, 7}},
        {[] { return Delta(0); }, With(Bytes(40), {{31, 7}}), {31, 0, 7}},
        {[] { return Delta(0); }, With(Bytes(300), {{286, 7}}), {31, 255, 0, 7}},
        {[] { return Delta(0); }, With(Bytes(550), {{541, 7}}), {31, 255, 255, 0, 7}},
        {[] { return Delta(0); }, With(Bytes(80), {{0, 4}, {40, 5}}), {0, 4, 31, 8, 5}},
        {[] { return Delta(1); }, Bytes(9, 3), {11, 0, 7 * 32, 3, 3, 3, 3, 3, 3, 3, 3, 0, 3}},
        {[] { return Seed(); }, Counting(30), Cat({0, 0, 30}, Counting(30))},
    };
    for (const auto& c : cases) {
        RowSourceStub source(int16_t(c.row.size()), 8, {c.row});
        Stage stage = c.make();
        auto out = Drain(*stage, source);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].bytes, c.expected) << ::testing::PrintToString(c.row);
    }
}

TEST(RowCompressors, CodeAnEqualRowAsNothingAndFoldRepeatsIntoTheAdaptiveStream)
{
    const Bytes row = Counting(30);
    RowSourceStub deltaSource(30, 8, {row, row});
    auto delta = Delta(1);
    EXPECT_EQ(Drain(*delta, deltaSource)[1].bytes, (Bytes{0, 0}));
    RowSourceStub source(30, 8, {row, row, Bytes(30, 0)}, {1, 3, 1});
    auto seed = Seed();
    auto out = Drain(*seed, source);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1].bytes, (Bytes{3, 0, 0, 5, 0, 2}));
    EXPECT_EQ(out[1].repeat, 1);
    EXPECT_EQ(out[1].rows, 3);
    EXPECT_EQ(out[2].bytes, (Bytes{2, 0, 2, 227, 0}));
}

TEST(RowCompressors, RandomRowsComeBackThroughTheDecoders)
{
    std::mt19937 rng(22);
    std::set<int> methods;
    for (size_t width : {1, 5, 37, 300}) {
        // Rows of noise, runs and near copies of the row before.
        std::vector<Bytes> rows;
        Bytes row(width, 0), repeats;
        for (size_t r = 0; r < 40; ++r) {
            const unsigned kind = rng() % 4;
            for (size_t i = 0; i < width; ++i)
                if (kind == 0 || (kind == 1 && rng() % 3 == 0) || (kind == 2 && rng() % 10 == 0))
                    row[i] = uint8_t(kind == 1 ? rng() % 4 : rng());
            rows.push_back(row);
            repeats.push_back(uint8_t(1 + rng() % 3));
        }
        RowSourceStub source1(int16_t(width), 8, rows), source2(int16_t(width), 8, rows),
            source3(int16_t(width), 8, rows, repeats);
        auto runLength = RunLength(4, 0), delta = Delta(1), seed = Seed();
        auto packed = Drain(*runLength, source1), deltas = Drain(*delta, source2),
             adaptive = Drain(*seed, source3);
        ASSERT_EQ(packed.size(), rows.size());
        ASSERT_EQ(deltas.size(), rows.size());
        ASSERT_EQ(adaptive.size(), rows.size());
        Bytes deltaSeed(width, 0), adaptiveSeed(width, 0);
        std::vector<Bytes> decoded, expected;
        for (size_t r = 0; r < rows.size(); ++r) {
            Bytes padded = rows[r];
            padded.resize((width + 3) / 4 * 4, 0);
            EXPECT_EQ(UnpackBits(packed[r].bytes.data(), packed[r].bytes.size()), padded);
            const Bytes& b = deltas[r].bytes;
            ASSERT_EQ(b[0] | b[1] << 8, int(b.size() - 2));
            ApplyDelta(deltaSeed, b.data() + 2, b.size() - 2);
            EXPECT_EQ(deltaSeed, rows[r]);
            expected.insert(expected.end(), repeats[r], rows[r]);
            DecodeAdaptive(adaptive[r].bytes, adaptiveSeed, decoded, methods);
        }
        EXPECT_EQ(decoded, expected) << width;
    }
    EXPECT_EQ(methods, (std::set<int>{0, 2, 3, 5}));
}

TEST(RowCompressors, FailCleanlyOnNoWidthNoMemoryAndOverlongBlocks)
{
    for (auto make : {+[] { return Padder(4, 0); }, +[] { return RunLength(4, 0); },
                      +[] { return Delta(1); }, +[] { return Seed(); }}) {
        RowSourceStub empty(0, 8, {Bytes(4, 1)}), huge(8, 8, {Bytes(8, 1)});
        Stage stage = make();
        EXPECT_TRUE(Drain(*stage, empty).empty());
        huge.SetMaxRowSize(0xFFFFFFF0u);
        stage = make();
        stage->SetSource(&huge);
        // The padder holds no buffer of its own.
        EXPECT_EQ(stage->Begin(), dynamic_cast<GRowPadder*>(stage.get()) ? 1u : 0u);
    }
    // 24-bit rows of 32767 pixels: blocks past 65535 bytes, whose lengths cannot be told.
    for (auto make : {+[] { return Delta(1); }, +[] { return Seed(); }}) {
        RowSourceStub source(32767, 24, {Counting(98301), Counting(98301, 1)});
        Stage stage = make();
        uint32_t status = 0;
        EXPECT_TRUE(Drain(*stage, source, &status).empty());
        EXPECT_EQ(status, GRowCompressor::kBlockTooLong);
    }
}
