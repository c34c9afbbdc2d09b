// The codec keeps its zlib streams between calls: what it writes and reads must stay
// byte for byte what compress and uncompress give, however calls follow each other or
// run side by side.
#include "model/GZlibCodec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Sample(size_t size, unsigned seed, int alphabet)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = char('a' + random() % unsigned(alphabet));
    return bytes;
}

// compress's own answer in a room of the source's size: empty when it fails.
std::string Reference(const std::string& data)
{
    std::vector<Bytef> room(data.size() ? data.size() : 1);
    uLongf size = uLongf(data.size());
    if (compress(room.data(), &size, reinterpret_cast<const Bytef*>(data.data()), uLong(data.size())) != Z_OK)
        return std::string();
    return std::string(reinterpret_cast<const char*>(room.data()), size);
}

// The codec's answer in the same room: empty when it fails.
std::string Packed(const std::string& data)
{
    std::istringstream in(data);
    std::ostringstream out(std::string(data.size(), '\0'));
    if (GZlibCodec().CompressStream(in, out) != 1)
        return std::string();
    return out.str().substr(0, size_t(out.tellp()));
}

std::string Unpacked(const std::string& packed, bool& ok)
{
    std::istringstream in(packed);
    std::ostringstream out;
    ok = GZlibCodec().UncompressStream(in, out) == 1;
    return out.str();
}

struct Input {
    const char* name;
    std::string data;
};

std::vector<Input> Inputs()
{
    return {
        {"one byte (does not shrink)", "x"},
        {"settings-sized text", Sample(900, 1, 6)},
        {"a long run", std::string(4000, 'z')},
        {"random over all letters", Sample(3000, 2, 26)},
        {"random bytes (do not shrink)", Sample(2000, 3, 256)},
        {"at the unpacking limit", Sample(GZlibCodec::kUncompressLimit, 4, 4)},
    };
}

} // namespace

TEST(ZlibKeptStreams, PacksAsCompressDoesCallAfterCall)
{
    // Twice through the table: the second pass runs on streams the first one used.
    for (int pass = 0; pass < 2; ++pass)
        for (const Input& input : Inputs()) {
            const std::string expected = Reference(input.data);
            EXPECT_EQ(expected, Packed(input.data)) << input.name << ", pass " << pass;
            if (expected.empty())
                continue;
            bool ok = false;
            EXPECT_EQ(input.data, Unpacked(expected, ok)) << input.name;
            EXPECT_TRUE(ok) << input.name;
        }
}

TEST(ZlibKeptStreams, AFailedCallLeavesTheNextOneWhole)
{
    const std::string good = Sample(900, 5, 6), packed = Reference(good);
    ASSERT_FALSE(packed.empty());
    const struct {
        const char* name;
        std::string bytes;
    } broken[] = {
        {"cut short", packed.substr(0, packed.size() / 2)},
        {"damaged header", std::string("\x78\x00", 2) + packed.substr(2)},
        {"no bytes", std::string()},
        {"unpacks past the limit", Reference(std::string(GZlibCodec::kUncompressLimit + 1, 'q'))},
    };
    for (const auto& b : broken) {
        bool ok = true;
        Unpacked(b.bytes, ok);
        EXPECT_FALSE(ok) << b.name;
        EXPECT_EQ(good, Unpacked(packed, ok)) << "after " << b.name;
        EXPECT_TRUE(ok) << "after " << b.name;
        EXPECT_TRUE(Packed(Sample(2000, 3, 256)).empty()) << "after " << b.name;
        EXPECT_EQ(packed, Packed(good)) << "after a refused packing, after " << b.name;
    }
}

// More threads than kept streams: some calls run on streams of their own.
TEST(ZlibKeptStreams, ThreadsSideBySideGetTheSameBytes)
{
    const std::vector<Input> inputs = Inputs();
    std::vector<std::string> expected;
    for (const Input& input : inputs)
        expected.push_back(Reference(input.data));
    std::vector<int> wrong(12, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 12; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 40; ++round) {
                const size_t i = size_t(t + round) % inputs.size();
                if (Packed(inputs[i].data) != expected[i])
                    ++wrong[t];
                if (!expected[i].empty()) {
                    bool ok = false;
                    if (Unpacked(expected[i], ok) != inputs[i].data || !ok)
                        ++wrong[t];
                }
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < 12; ++t)
        EXPECT_EQ(0, wrong[t]) << "thread " << t;
}
