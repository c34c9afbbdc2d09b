#include "graphics/GDeltaRowCompressor.h"
#include "graphics/GRowPadder.h"
#include "graphics/GRunLengthCompressor.h"
#include "graphics/GSeedRowCompressor.h"

#include "RowSourceStub.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>

namespace {

using Bytes = std::vector<uint8_t>;

struct Output {
    Bytes bytes;
    uint8_t repeat;
    uint8_t rows;
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
        uint32_t length = 0;
        uint8_t repeat = 1, rows = 1;
        const uint32_t result = stage.ReadRow(buffer.data(), number, length, repeat, rows);
        if (status)
            *status = result;
        if (length == 0)
            return out;
        EXPECT_LE(length, stage.GetMaxRowSize());
        out.push_back({Bytes(buffer.begin(), buffer.begin() + length), repeat, rows});
    }
}

Bytes One(GRowCompressor& stage, const Bytes& row, uint32_t bitsPerPixel = 8)
{
    RowSourceStub source(int16_t(row.size() * 8 / bitsPerPixel), bitsPerPixel, {row});
    auto out = Drain(stage, source);
    return out.empty() ? Bytes() : out[0].bytes;
}

// Decoders written from the public descriptions of the formats.
Bytes UnpackBits(const uint8_t* p, size_t n)
{
    Bytes row;
    for (size_t i = 0; i < n;) {
        const uint8_t c = p[i++];
        if (c < 128) {
            row.insert(row.end(), p + i, p + i + c + 1);
            i += c + 1;
        } else if (c > 128) {
            row.insert(row.end(), size_t(257 - c), p[i++]);
        }
    }
    return row;
}

void ApplyDelta(Bytes& seed, const uint8_t* p, size_t n)
{
    size_t at = 0;
    for (size_t i = 0; i < n;) {
        const uint8_t c = p[i++];
        const size_t count = (c >> 5) + 1;
        size_t offset = c & 31;
        if (offset == 31) {
            uint8_t more;
            do {
                more = p[i++];
                offset += more;
            } while (more == 255);
        }
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
        methods.insert(method);
        const size_t n = size_t(in[i + 1]) << 8 | in[i + 2];
        const uint8_t* data = in.data() + i + 3;
        if (method == 5) {
            rows.insert(rows.end(), n, seed);
            i += 3;
            continue;
        }
        ASSERT_LE(i + 3 + n, in.size());
        if (method == 0) {
            std::copy(data, data + std::min(n, seed.size()), seed.begin());
        } else if (method == 2) {
            Bytes row = UnpackBits(data, n);
            std::copy(row.begin(), row.begin() + std::min(row.size(), seed.size()), seed.begin());
        } else {
            ASSERT_EQ(method, 3);
            ApplyDelta(seed, data, n);
        }
        rows.push_back(seed);
        i += 3 + n;
    }
}

// Rows that mix noise, runs and near copies of the row before.
std::vector<Bytes> RandomRows(std::mt19937& rng, size_t width, size_t count)
{
    std::vector<Bytes> rows;
    Bytes row(width, 0);
    for (size_t r = 0; r < count; ++r) {
        const unsigned kind = rng() % 4;
        for (size_t i = 0; i < width; ++i) {
            if (kind == 0)
                row[i] = uint8_t(rng());
            else if (kind == 1)
                row[i] = uint8_t(rng() % 3 == 0 ? rng() % 4 : (i ? row[i - 1] : 7));
            else if (kind == 2 && rng() % 10 == 0)
                row[i] = uint8_t(rng());
        }
        rows.push_back(row);
    }
    return rows;
}

}  // namespace

TEST(RunLengthCompressor, PacksTheKnownExamples)
{
    const struct {
        Bytes row, packed;
    } cases[] = {
        {{1, 1, 1, 2, 3}, {254, 1, 1, 2, 3}},
        {{1, 2, 2, 3}, {3, 1, 2, 2, 3}},
        {{1, 2, 2, 2, 3}, {0, 1, 254, 2, 0, 3}},
        {Bytes(129, 9), {129, 9, 0, 9}},
    };
    for (const auto& c : cases) {
        GRunLengthCompressor stage(1, 0);
        EXPECT_EQ(One(stage, c.row), c.packed);
    }
}

TEST(RunLengthCompressor, SplitsLiteralsAt128Bytes)
{
    for (size_t n : {127, 128, 129}) {
        Bytes row(n);
        for (size_t i = 0; i < n; ++i)
            row[i] = uint8_t(i);
        GRunLengthCompressor stage(1, 0);
        Bytes expected{uint8_t(std::min<size_t>(n, 128) - 1)};
        expected.insert(expected.end(), row.begin(), row.begin() + std::min<size_t>(n, 128));
        if (n == 129)
            expected.insert(expected.end(), {0, 128});
        EXPECT_EQ(One(stage, row), expected) << n;
    }
}

TEST(RowCompressors, PadToTheRowUnitAndInvert)
{
    const Bytes row{0, 0, 0, 1, 2};
    GRunLengthCompressor packed(4, 1);
    EXPECT_EQ(One(packed, row), (Bytes{254, 255, 1, 254, 253, 254, 0}));
    GRowPadder padded(4, 1);
    EXPECT_EQ(One(padded, row), (Bytes{255, 255, 255, 254, 253, 0, 0, 0}));
    GRowPadder plain(1, 0);
    EXPECT_EQ(One(plain, row), row);
}

TEST(DeltaRowCompressor, CountsUnchangedBytesInExtraBytes)
{
    const struct {
        size_t unchanged;
        Bytes commands;
    } cases[] = {
        {30, {30, 7}}, {31, {31, 0, 7}}, {286, {31, 255, 0, 7}}, {541, {31, 255, 255, 0, 7}},
    };
    for (const auto& c : cases) {
        Bytes row(c.unchanged + 10, 0);
        row[c.unchanged] = 7;
        GDeltaRowCompressor stage(1, 0, 0);
        EXPECT_EQ(One(stage, row), c.commands) << c.unchanged;
    }
    Bytes row(80, 0);
    row[0] = 4;
    row[40] = 5;
    GDeltaRowCompressor stage(1, 0, 0);
    EXPECT_EQ(One(stage, row), (Bytes{0, 4, 31, 8, 5}));
}

TEST(DeltaRowCompressor, PrefixesTheLengthAndCodesAnEqualRowAsNothing)
{
    Bytes row(20, 3);
    RowSourceStub source(20, 8, {row, row});
    GDeltaRowCompressor stage(4, 0, 1);
    auto out = Drain(stage, source);
    ASSERT_EQ(out.size(), 2u);
    // 20 changed bytes: runs of 8, 8 and 4.
    EXPECT_EQ(out[0].bytes.size(), 25u);
    EXPECT_EQ(Bytes(out[0].bytes.begin(), out[0].bytes.begin() + 3), (Bytes{23, 0, 7 * 32}));
    EXPECT_EQ(out[1].bytes, (Bytes{0, 0}));
}

TEST(SeedRowCompressor, ChoosesTheMethodAndAppendsDuplicateRows)
{
    Bytes noise(30);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = uint8_t(i * 7 + 1);
    RowSourceStub source(30, 8, {noise, noise, Bytes(30, 0)}, {1, 3, 1});
    GSeedRowCompressor stage(1, 0);
    auto out = Drain(stage, source);
    ASSERT_EQ(out.size(), 3u);
    Bytes method0{0, 0, 30};
    method0.insert(method0.end(), noise.begin(), noise.end());
    EXPECT_EQ(out[0].bytes, method0);
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
        const auto rows = RandomRows(rng, width, 40);
        std::vector<uint8_t> repeats(rows.size());
        for (auto& r : repeats)
            r = uint8_t(1 + rng() % 3);
        {
            RowSourceStub source(int16_t(width), 8, rows);
            GRunLengthCompressor stage(4, 0);
            auto out = Drain(stage, source);
            ASSERT_EQ(out.size(), rows.size());
            for (size_t r = 0; r < rows.size(); ++r) {
                Bytes expected = rows[r];
                expected.resize((width + 3) / 4 * 4, 0);
                EXPECT_EQ(UnpackBits(out[r].bytes.data(), out[r].bytes.size()), expected);
            }
        }
        {
            RowSourceStub source(int16_t(width), 8, rows);
            GDeltaRowCompressor stage(4, 0, 1);
            auto out = Drain(stage, source);
            ASSERT_EQ(out.size(), rows.size());
            Bytes seed(width, 0);
            for (size_t r = 0; r < rows.size(); ++r) {
                const Bytes& b = out[r].bytes;
                ASSERT_EQ(b[0] | b[1] << 8, int(b.size() - 2));
                ApplyDelta(seed, b.data() + 2, b.size() - 2);
                EXPECT_EQ(seed, rows[r]);
            }
        }
        {
            RowSourceStub source(int16_t(width), 8, rows, repeats);
            GSeedRowCompressor stage(1, 0);
            auto out = Drain(stage, source);
            Bytes seed(width, 0);
            std::vector<Bytes> decoded, expected;
            for (size_t r = 0; r < rows.size(); ++r) {
                expected.insert(expected.end(), repeats[r], rows[r]);
                DecodeAdaptive(out[r].bytes, seed, decoded, methods);
            }
            EXPECT_EQ(decoded, expected) << width;
        }
    }
    EXPECT_EQ(methods, (std::set<int>{0, 2, 3, 5}));
}

TEST(RowCompressors, FailCleanlyOnNoWidthNoMemoryAndOverlongBlocks)
{
    auto stages = [] {
        std::vector<std::unique_ptr<GRowCompressor>> s;
        s.emplace_back(new GRowPadder(4, 0));
        s.emplace_back(new GRunLengthCompressor(4, 0));
        s.emplace_back(new GDeltaRowCompressor(4, 0, 1));
        s.emplace_back(new GSeedRowCompressor(1, 0));
        return s;
    };
    for (auto& stage : stages()) {
        RowSourceStub source(0, 8, {Bytes(4, 1)});
        EXPECT_TRUE(Drain(*stage, source).empty());
    }
    for (auto& stage : stages()) {
        RowSourceStub source(8, 8, {Bytes(8, 1)});
        source.SetMaxRowSize(0xFFFFFFF0u);
        stage->SetSource(&source);
        // The padder holds no buffer of its own.
        const uint32_t expected = dynamic_cast<GRowPadder*>(stage.get()) ? 1u : 0u;
        EXPECT_EQ(stage->Begin(), expected);
    }
    // 24-bit rows of 32767 pixels: blocks past 65535 bytes whose lengths cannot be told.
    Bytes wide(98301);
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = uint8_t(i * 7 + 1);
    for (int prefix = 0; prefix < 2; ++prefix) {
        RowSourceStub source(32767, 24, {wide, wide});
        std::unique_ptr<GRowCompressor> stage(prefix ? static_cast<GRowCompressor*>(new GDeltaRowCompressor(4, 0, 1))
                                                     : new GSeedRowCompressor(1, 0));
        uint32_t status = 0;
        EXPECT_TRUE(Drain(*stage, source, &status).empty());
        EXPECT_EQ(status, GRowCompressor::kBlockTooLong);
    }
}
