#include "model/GBitStream.h"
#include "model/GLZWCodec.h"
#include "model/GZlibCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Lzw(const std::string& bytes, GLZWCodec* codec = nullptr)
{
    GLZWCodec fresh;
    std::istringstream in(bytes);
    std::ostringstream out;
    EXPECT_EQ(1u, (codec ? *codec : fresh).Compress(in, out));
    return out.str();
}

uint32_t Unlzw(const std::string& packed, std::ostream& out)
{
    std::istringstream in(packed);
    return GLZWCodec().Decompress(in, out);
}

uint32_t WidthAfter(uint32_t code, uint32_t width) { return code == 257 ? width + 1 : code == 258 ? 9 : width; }

// Codes at the widths the coder writes them.
std::string Pack(const std::vector<uint32_t>& codes)
{
    std::ostringstream out;
    GBitStream bits(out);
    uint32_t width = 9;
    for (uint32_t code : codes)
        bits.WriteBits(code, width), width = WidthAfter(code, width);
    bits.Flush();
    return out.str();
}

// The codes of a packed stream up to its end code.
std::vector<uint32_t> Unpack(const std::string& packed)
{
    std::istringstream in(packed);
    GBitStream bits(in);
    std::vector<uint32_t> codes;
    for (uint32_t code = 0, width = 9; bits.ReadBits(&code, width) && code != 256; width = WidthAfter(code, width))
        codes.push_back(code);
    return codes;
}

std::string RandomBytes(size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    std::generate(bytes.begin(), bytes.end(), std::mt19937(seed));
    return bytes;
}

std::string SettingsLike(size_t size)
{
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "printing/Feature" + std::to_string(i % 37) + "=" + std::to_string(i * 7 % 5) + ";";
    return text.substr(0, size);
}

// The decoder as a plain chain walk, one code at a time: the result and the bytes any
// stream must give, the codec's windowed copies notwithstanding.
uint32_t ModelUnlzw(const std::string& packed, std::string& out)
{
    std::istringstream in(packed);
    GBitStream bits(in);
    std::vector<uint32_t> prefix(32768);
    std::vector<uint8_t> last(32768);
    auto expand = [&](uint32_t code) {
        std::string s;
        for (; code >= 259; code = prefix[code])
            s.insert(s.begin(), char(last[code]));
        return char(code) + s;
    };
    for (;;) {
        uint32_t width = 9, next = 259, code = 0;
        if (!bits.ReadBits(&code, width))
            return 0;
        if (code == 256)
            return 1;
        if (code == 258)
            continue;
        if (code > 255)
            return 0;
        out += char(code);
        uint32_t old = code;
        for (;;) {
            if (!bits.ReadBits(&code, width))
                return 0;
            if (code == 256)
                return 1;
            if (code == 258)
                break;
            if (code == 257) {
                if (width++ == 15)
                    return 0;
                continue;
            }
            if (code > next)
                return 0;
            const std::string s = code < next ? expand(code) : expand(old) + expand(old)[0];
            out += s;
            prefix[next] = old, last[next] = uint8_t(s[0]);
            if (++next >= 32768)
                return 0;
            old = code;
        }
    }
}

// Rows of a few tones much like the row before, with some noise.
std::string RasterLike(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    std::string row(1024, '\xFF');
    for (size_t at = 0; at < size; at += row.size()) {
        for (int runs = random() % 4; runs > 0; --runs) {
            const size_t start = random() % row.size(), length = random() % 200;
            std::fill(row.begin() + start, row.begin() + std::min(row.size(), start + length), char(random() % 4 * 85));
        }
        for (size_t x = 0; x < row.size() && at + x < size; ++x)
            bytes[at + x] = char(random() % 50 == 0 ? row[x] ^ 1 : row[x]);
    }
    return bytes;
}

// An output of fixed capacity that refuses what does not fit.
struct FixedOut : std::streambuf {
    explicit FixedOut(size_t size) : bytes(size, '\0') { setp(&bytes[0], &bytes[0] + size); }
    std::string bytes;
};

// Packs into an output of the given capacity; a failure must leave it untouched.
uint32_t Zpack(const std::string& data, size_t capacity, std::string* packed = nullptr)
{
    std::istringstream in(data);
    std::ostringstream out(std::string(capacity, '\7'));
    const uint32_t result = GZlibCodec().CompressStream(in, out);
    EXPECT_TRUE(result || (out.tellp() == 0 && out.str() == std::string(capacity, '\7'))) << capacity;
    if (packed)
        *packed = out.str().substr(0, size_t(out.tellp()));
    return result;
}

} // namespace

TEST(LZWStream, CodesAreNineBitsMostSignificantFirstAndPaddedWithZeros)
{
    GLZWCodec reused;
    EXPECT_EQ(std::string("\x80\x40\x00", 3), Lzw(""));
    Lzw(RandomBytes(48 * 1024, 1), &reused);
    EXPECT_EQ(std::string("\x30\x98\x8C\x70\x00", 5), Lzw("abc", &reused)) << "after a long run";
}

TEST(LZWStream, RoundTripsThroughWideningResetsAndRuns)
{
    const std::string random = RandomBytes(48 * 1024, 2);
    const std::vector<uint32_t> codes = Unpack(Lzw(random));
    // Each code written but the last makes an entry, so the 253rd makes entry 511.
    EXPECT_EQ(codes.begin() + 253, std::find(codes.begin(), codes.end(), 257u));
    EXPECT_EQ(6, std::count(codes.begin(), std::find(codes.begin(), codes.end(), 258u), 257u));
    EXPECT_GE(std::count(codes.begin(), codes.end(), 258u), 1);
    for (const std::string& data : {random, std::string(200000, 'x'), std::string(1, '\0'), SettingsLike(900)}) {
        std::ostringstream out;
        EXPECT_EQ(1u, Unlzw(Lzw(data), out));
        EXPECT_TRUE(out.str() == data) << data.size() << " bytes";
    }
}

// Outputs far longer than the decoder keeps at hand: strings made long before they are
// used again, long runs and many resets, each giving exactly what went in.
TEST(LZWStream, RoundTripsOutputsLongerThanTheDecodeWindow)
{
    const std::string text = SettingsLike(40000);
    std::string far = text;
    for (int i = 0; i < 700; ++i)
        far += std::string(1000, char(0x80 + i % 100)) + char(i);
    far += text;
    for (const std::string& data : {RasterLike(3 << 20, 5), far, std::string(3 << 20, 'x'),
                                    RasterLike(1 << 20, 6) + RandomBytes(300000, 7) + RasterLike(1 << 20, 6)}) {
        std::ostringstream out;
        EXPECT_EQ(1u, Unlzw(Lzw(data), out));
        EXPECT_TRUE(out.str() == data) << data.size() << " bytes";
    }
}

TEST(LZWStream, RefusesCodesTheCoderCannotHaveMade)
{
    std::vector<uint32_t> longest(32509, 'a'), tooMany(32510, 'a');
    longest.push_back(256), tooMany.push_back(256);
    const struct {
        std::string packed;
        uint32_t result;
        std::string output;
    } cases[] = {
        {Pack({256}), 1, ""},
        {Pack({258, 'b', 256}), 1, "b"},
        {Pack({'a', 259, 256}), 1, "aaa"},
        {Pack({'a', 257, 257, 257, 257, 257, 257, 'b', 256}), 1, "ab"},
        {Pack({257, 'a', 256}), 0, ""},
        {Pack({259, 256}), 0, ""},
        {Pack({'a', 260, 256}), 0, "a"},
        {Pack({'a', 257, 257, 257, 257, 257, 257, 257, 256}), 0, "a"},
        {Pack(longest), 1, std::string(32509, 'a')},
        {Pack(tooMany), 0, std::string(32510, 'a')},
        {Lzw("abc").substr(0, 4), 0, "abc"},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        EXPECT_EQ(c.result, Unlzw(c.packed, out)) << &c - cases;
        EXPECT_TRUE(c.output == out.str()) << &c - cases;
    }
    std::ostream nowhere(nullptr);
    EXPECT_EQ(0u, Unlzw(Lzw("abc"), nowhere));
}

TEST(LZWStream, MutatedStreamsEndCleanly)
{
    const std::string packed = Lzw(SettingsLike(2000) + RandomBytes(1000, 3));
    std::mt19937 random(4);
    for (int round = 0; round < 1500; ++round) {
        std::string mutated = packed;
        for (int flips = 1 + random() % 4; flips > 0; --flips)
            mutated[random() % mutated.size()] ^= char(1 << random() % 8);
        if (round % 5 == 0)
            mutated.resize(random() % mutated.size());
        std::ostringstream out;
        std::string expected;
        EXPECT_EQ(ModelUnlzw(mutated, expected), Unlzw(mutated, out)) << "round " << round;
        ASSERT_TRUE(out.str() == expected) << "round " << round;
        // No code stands for more than 32510 bytes.
        ASSERT_LE(out.str().size(), mutated.size() * 8 / 9 * 32510) << "round " << round;
    }
}

TEST(ZlibCodec, PacksOnlyWhatShrinksAndFits)
{
    const std::string settings = SettingsLike(900);
    std::string packed;
    ASSERT_EQ(1u, Zpack(settings, 900, &packed));
    EXPECT_EQ(1u, Zpack(settings, packed.size()));
    EXPECT_EQ(0u, Zpack(settings, packed.size() - 1));
    EXPECT_EQ(0u, Zpack(RandomBytes(1000, 5), 4000));
    EXPECT_EQ(0u, Zpack("", 100));
}

TEST(ZlibCodec, UnpacksUpToItsLimitIntoAnOutputThatTakesEveryByte)
{
    std::string packed[3];
    const size_t sizes[] = {900, GZlibCodec::kUncompressLimit, GZlibCodec::kUncompressLimit + 1};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(1u, Zpack(SettingsLike(sizes[i]), sizes[i], &packed[i]));
        std::istringstream in(packed[i]);
        std::ostringstream out;
        EXPECT_EQ(i < 2 ? 1u : 0u, GZlibCodec().UncompressStream(in, out)) << sizes[i];
        EXPECT_TRUE(i == 2 || out.str() == SettingsLike(sizes[i]));
    }
    std::istringstream in(packed[0]), cut(packed[0].substr(0, packed[0].size() / 2));
    FixedOut shortBuffer(899);
    std::ostream shortOut(&shortBuffer);
    std::ostringstream out;
    EXPECT_EQ(0u, GZlibCodec().UncompressStream(in, shortOut)) << "one byte short";
    EXPECT_EQ(0u, GZlibCodec().UncompressStream(cut, out));
}
