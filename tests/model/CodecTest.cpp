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

std::string Lzw(const std::string& bytes)
{
    std::istringstream in(bytes);
    std::ostringstream out;
    EXPECT_EQ(1u, GLZWCodec().Compress(in, out));
    return out.str();
}

uint32_t Unlzw(const std::string& packed, std::ostream& out)
{
    std::istringstream in(packed);
    return GLZWCodec().Decompress(in, out);
}

// Codes as the coder writes them: 9 bits wide, one bit more after each 257, back to 9
// after 258.
std::string Pack(const std::vector<uint32_t>& codes)
{
    std::ostringstream out;
    GBitStream bits(out);
    uint32_t width = 9;
    for (uint32_t code : codes) {
        bits.WriteBits(code, width);
        width = code == 257 ? width + 1 : code == 258 ? 9 : width;
    }
    bits.Flush();
    return out.str();
}

// The codes of a packed stream up to its end code.
std::vector<uint32_t> Unpack(const std::string& packed)
{
    std::istringstream in(packed);
    GBitStream bits(in);
    std::vector<uint32_t> codes;
    uint32_t code = 0, width = 9;
    while (bits.ReadBits(&code, width) && code != 256) {
        codes.push_back(code);
        width = code == 257 ? width + 1 : code == 258 ? 9 : width;
    }
    return codes;
}

std::string RandomBytes(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = char(random());
    return bytes;
}

std::string SettingsLike(size_t size)
{
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "printing/Feature" + std::to_string(i % 37) + "=" + std::to_string(i * 7 % 5) + ";";
    return text.substr(0, size);
}

// An output of fixed capacity that refuses what does not fit.
struct FixedOut : std::streambuf {
    explicit FixedOut(size_t size) : bytes(size, '\0') { setp(&bytes[0], &bytes[0] + size); }
    std::string bytes;
};

} // namespace

TEST(LZWStream, CodesAreNineBitsMostSignificantFirstAndPaddedWithZeros)
{
    EXPECT_EQ(std::string("\x30\x98\x8C\x70\x00", 5), Lzw("abc"));
    EXPECT_EQ(std::string("\x80\x40\x00", 3), Lzw(""));
}

TEST(LZWStream, WidensRightAfterCode511IsMade)
{
    // Each code written but the last makes an entry, so the 253rd makes entry 511.
    const std::vector<uint32_t> codes = Unpack(Lzw(RandomBytes(1000, 1)));
    ASSERT_GT(codes.size(), 254u);
    EXPECT_EQ(codes.begin() + 253, std::find(codes.begin(), codes.end(), 257u));
}

TEST(LZWStream, RoundTripsThroughWideningResetsAndRuns)
{
    const std::string random = RandomBytes(48 * 1024, 2);
    const std::vector<uint32_t> codes = Unpack(Lzw(random));
    EXPECT_EQ(6, std::count(codes.begin(), std::find(codes.begin(), codes.end(), 258u), 257u));
    EXPECT_GE(std::count(codes.begin(), codes.end(), 258u), 1);

    for (const std::string& data : {random, std::string(200000, 'x'), std::string(1, '\0'), SettingsLike(900)}) {
        std::ostringstream out;
        EXPECT_EQ(1u, Unlzw(Lzw(data), out));
        EXPECT_TRUE(out.str() == data) << data.size() << " bytes";
    }
}

TEST(LZWStream, RefusesCodesTheCoderCannotHaveMade)
{
    std::vector<uint32_t> longest(32509, 'a');
    longest.push_back(256);
    std::vector<uint32_t> tooMany(longest);
    tooMany.back() = 'a';
    tooMany.push_back(256);
    const struct {
        std::vector<uint32_t> codes;
        uint32_t result;
        std::string output;
    } cases[] = {
        {{256}, 1, ""},
        {{258, 'b', 256}, 1, "b"},
        {{'a', 259, 256}, 1, "aaa"},
        {{'a', 257, 257, 257, 257, 257, 257, 'b', 256}, 1, "ab"},
        {{257, 'a', 256}, 0, ""},
        {{259, 256}, 0, ""},
        {{'a', 260, 256}, 0, "a"},
        {{'a', 257, 257, 257, 257, 257, 257, 257, 256}, 0, "a"},
        {longest, 1, std::string(32509, 'a')},
        {tooMany, 0, std::string(32509, 'a')},
    };
    for (const auto& c : cases) {
        std::ostringstream out;
        EXPECT_EQ(c.result, Unlzw(Pack(c.codes), out)) << c.codes.size() << " codes";
        EXPECT_EQ(c.output, out.str().substr(0, c.output.size()));
    }
    std::ostringstream out;
    EXPECT_EQ(0u, Unlzw(Lzw("abc").substr(0, 4), out)) << "end code cut";
    FixedOut small(2);
    std::ostream shortOut(&small);
    EXPECT_EQ(0u, Unlzw(Lzw("abc"), shortOut));
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
        const uint32_t result = Unlzw(mutated, out);
        EXPECT_LE(result, 1u);
        // No code stands for more than 32510 bytes.
        ASSERT_LE(out.str().size(), mutated.size() * 8 / 9 * 32510) << "round " << round;
    }
}

TEST(ZlibCodec, RoundTripsUpToTheUnpackingLimit)
{
    for (size_t size : {size_t(900), size_t(GZlibCodec::kUncompressLimit), size_t(16001)}) {
        const std::string data = SettingsLike(size);
        std::istringstream in(data);
        std::ostringstream packed(std::string(size, '\0'));
        ASSERT_EQ(1u, GZlibCodec().CompressStream(in, packed));
        std::istringstream packedIn(packed.str().substr(0, size_t(packed.tellp())));
        std::ostringstream out;
        const bool fits = size <= GZlibCodec::kUncompressLimit;
        EXPECT_EQ(fits ? 1u : 0u, GZlibCodec().UncompressStream(packedIn, out));
        EXPECT_TRUE(!fits || out.str() == data) << size << " bytes";
    }
}

TEST(ZlibCodec, WritesNothingWhenThePackedFormDoesNotFit)
{
    for (const std::string& data : {RandomBytes(1000, 5), std::string()}) {
        std::istringstream in(data);
        std::ostringstream out(std::string(4000, '\0'));
        EXPECT_EQ(0u, GZlibCodec().CompressStream(in, out)) << "does not shrink";
        EXPECT_EQ(0, out.tellp());
    }
    const std::string data = SettingsLike(900);
    std::istringstream in(data);
    std::ostringstream packed(std::string(900, '\0'));
    ASSERT_EQ(1u, GZlibCodec().CompressStream(in, packed));
    const std::streamoff size = packed.tellp();
    in.clear();
    std::ostringstream small(std::string(size_t(size - 1), '\7'));
    EXPECT_EQ(0u, GZlibCodec().CompressStream(in, small));
    EXPECT_EQ(0, small.tellp());
    EXPECT_EQ(std::string(size_t(size - 1), '\7'), small.str());

    std::istringstream packedIn(packed.str().substr(0, size_t(size)));
    FixedOut shortBuffer(899);
    std::ostream shortOut(&shortBuffer);
    EXPECT_EQ(0u, GZlibCodec().UncompressStream(packedIn, shortOut)) << "out takes one byte less";
    std::istringstream corrupt(packed.str().substr(0, size_t(size / 2)));
    std::ostringstream out;
    EXPECT_EQ(0u, GZlibCodec().UncompressStream(corrupt, out));
}
