#include "foundation/RWDiskCache.h"

#include "foundation/RWBinaryFile.h"

#include "DiskFileImage.h"
#include "TempPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBlock = 16;

std::string Block(char c) { return std::string(kBlock, c); }

// A file of `blocks` blocks filled with 'a', 'b', ...
struct CacheFile {
    CacheFile(const char* leaf, uint32_t blocks) : path(leaf), file(path.c_str(), "wb+")
    {
        for (uint32_t i = 0; i < blocks; ++i)
            Overwrite(i * kBlock, static_cast<char>('a' + i));
    }
    // Changes a block behind the cache's back.
    void Overwrite(uint32_t offset, char c)
    {
        const std::string bytes = Block(c);
        ASSERT_TRUE(file.SeekTo(static_cast<long>(offset)));
        ASSERT_TRUE(file.Write(bytes.data(), kBlock));
        ASSERT_TRUE(file.Flush());
    }
    TempPath path;
    RWBinaryFile file;
};

std::string ReadThrough(RWDiskCache& cache, uint32_t offset)
{
    std::string out(kBlock, '?');
    return cache.Read(offset, &out[0]) ? out : "failed";
}

} // namespace

TEST(RWDiskCache, ServesHitsFromItsBuffersAndWritesThroughAtOnce)
{
    CacheFile f("hits.bin", 4);
    RWDiskCache cache(f.file, kBlock, 10);
    EXPECT_EQ(Block('b'), ReadThrough(cache, 16));
    f.Overwrite(16, 'X');
    EXPECT_EQ(Block('b'), ReadThrough(cache, 16));
    EXPECT_EQ(1u, cache.Used());
    const std::string data = Block('Q');
    ASSERT_TRUE(cache.Write(32, data.data()));
    f.file.Flush();
    const std::vector<uint8_t> bytes = FileBytes(f.path.str());
    EXPECT_EQ(data, std::string(bytes.begin() + 32, bytes.begin() + 48));
    EXPECT_EQ(data, ReadThrough(cache, 32));
    // A write past the end of the file extends it.
    ASSERT_TRUE(cache.Write(64, data.data()));
    f.file.Flush();
    EXPECT_EQ(80u, FileBytes(f.path.str()).size());
}

TEST(RWDiskCache, FullCacheEvictsTheBufferUntouchedLongest)
{
    CacheFile f("evict.bin", 12);
    RWDiskCache cache(f.file, kBlock, 10);
    for (uint32_t i = 0; i < 10; ++i)
        ReadThrough(cache, i * kBlock);
    // Block 0 is touched again, so block 1 is now untouched longest.
    ReadThrough(cache, 0);
    ReadThrough(cache, 10 * kBlock);
    EXPECT_EQ(10u, cache.Used());
    f.Overwrite(0, 'X');
    f.Overwrite(1 * kBlock, 'Y');
    f.Overwrite(2 * kBlock, 'Z');
    EXPECT_EQ(Block('a'), ReadThrough(cache, 0));
    EXPECT_EQ(Block('c'), ReadThrough(cache, 2 * kBlock));
    EXPECT_EQ(Block('Y'), ReadThrough(cache, 1 * kBlock));
}

std::string ReadAtLevel(RWDiskCache& cache, uint32_t offset, uint32_t level)
{
    std::string out(kBlock, '?');
    return cache.Read(offset, &out[0], level) ? out : "failed";
}

// Blocks read nearer the top of a walk stay while deeper ones take turns: a full cache
// gives up the buffer untouched longest among those of the deepest level it holds.
TEST(RWDiskCache, FullCacheGivesUpTheDeepestLevelFirst)
{
    CacheFile f("levels.bin", 8);
    RWDiskCache cache(f.file, kBlock, 4);
    ReadAtLevel(cache, 0, 1);
    ReadAtLevel(cache, 1 * kBlock, 2);
    ReadAtLevel(cache, 2 * kBlock, 3);
    ReadAtLevel(cache, 3 * kBlock, 3);
    // Block 2 is the older of the deepest two and goes; block 0 is older still but stays.
    ReadAtLevel(cache, 4 * kBlock, 3);
    // Block 3 makes room for block 5; block 5, read with no level, counts as deepest and
    // is the first to make room for block 6.
    ReadThrough(cache, 5 * kBlock);
    ReadAtLevel(cache, 6 * kBlock, 2);
    EXPECT_EQ(7u, cache.FileReads());
    for (uint32_t i = 0; i < 7; ++i)
        f.Overwrite(i * kBlock, 'Z');
    const uint64_t before = cache.FileReads();
    EXPECT_EQ(Block('a'), ReadAtLevel(cache, 0, 1));
    EXPECT_EQ(Block('b'), ReadAtLevel(cache, 1 * kBlock, 2));
    EXPECT_EQ(Block('g'), ReadAtLevel(cache, 6 * kBlock, 2));
    EXPECT_EQ(before, cache.FileReads());
    EXPECT_EQ(Block('e'), ReadAtLevel(cache, 4 * kBlock, 3));
    EXPECT_EQ(Block('Z'), ReadAtLevel(cache, 3 * kBlock, 3));
    EXPECT_EQ(Block('Z'), ReadAtLevel(cache, 2 * kBlock, 3));
    EXPECT_EQ(Block('Z'), ReadAtLevel(cache, 5 * kBlock, 3));
}

TEST(RWDiskCache, FailedReadLeavesNothingCached)
{
    CacheFile f("fail.bin", 2);
    RWDiskCache cache(f.file, kBlock, 2);
    EXPECT_EQ("failed", ReadThrough(cache, 5 * kBlock));
    EXPECT_EQ("failed", ReadThrough(cache, 0x80000000u));
    f.Overwrite(5 * kBlock, 'N');
    EXPECT_EQ(Block('N'), ReadThrough(cache, 5 * kBlock));
    EXPECT_EQ(Block('a'), ReadThrough(cache, 0));
    EXPECT_EQ(Block('N'), ReadThrough(cache, 5 * kBlock));
}

// Forget drops every buffer without writing; a cache of no buffers never holds one.
TEST(RWDiskCache, ForgottenOrBufferlessCacheReadsTheFileAgain)
{
    CacheFile f("forget.bin", 2);
    RWDiskCache cache(f.file, kBlock, 4);
    RWDiskCache none(f.file, kBlock, 0);
    ReadThrough(cache, 0);
    EXPECT_EQ(Block('b'), ReadThrough(none, kBlock));
    f.Overwrite(0, 'F');
    f.Overwrite(kBlock, 'W');
    cache.Forget();
    EXPECT_EQ(0u, cache.Used());
    EXPECT_EQ(Block('F'), ReadThrough(cache, 0));
    EXPECT_EQ(Block('W'), ReadThrough(none, kBlock));
    EXPECT_EQ(0u, none.Used());
}

TEST(RWDiskCache, CapacityIsLoweredToWhatOffsetsCanCount)
{
    CacheFile f("huge.bin", 1);
    EXPECT_EQ(0xFFFFFFFFu / 488, RWDiskCache(f.file, 488, 0xFFFFFFFFu).Capacity());
    EXPECT_EQ(10u, RWDiskCache(f.file, 488, 10).Capacity());
}

TEST(RWDiskCache, ReadOnlyFileRefusesWritesAndCachesNothing)
{
    TempPath path("ro.bin");
    WriteFileBytes(path.str(), std::vector<uint8_t>(kBlock, 'r'));
    RWBinaryFile file(path.c_str(), "rb");
    RWDiskCache cache(file, kBlock, 2);
    const std::string data = Block('w');
    EXPECT_FALSE(cache.Write(0, data.data()));
    EXPECT_EQ(Block('r'), ReadThrough(cache, 0));
}

// Random reads, writes and forgets against a plain list model of least-recently-used
// replacement: a read goes to the file exactly when the model does not hold its block.
TEST(RWDiskCache, ReadsTheFileExactlyWhenTheUntouchedLongestWasEvicted)
{
    CacheFile f("model.bin", 24);
    for (uint32_t capacity : {1u, 3u, 7u}) {
        RWDiskCache cache(f.file, kBlock, capacity);
        std::vector<uint32_t> model;  // most recently touched last
        uint32_t seed = 52 + capacity;
        auto next = [&seed](uint32_t n) { return (seed = seed * 1103515245u + 12345u) / 65536u % n; };
        auto touch = [&](uint32_t offset) {
            model.erase(std::remove(model.begin(), model.end(), offset), model.end());
            if (model.size() == capacity)
                model.erase(model.begin());
            model.push_back(offset);
        };
        for (int step = 0; step < 3000; ++step) {
            const uint32_t offset = next(20) * kBlock;
            const uint32_t what = next(10);
            if (what == 0) {
                cache.Forget();
                model.clear();
            } else if (what <= 2) {
                const std::string data = Block(static_cast<char>('a' + offset / kBlock));
                ASSERT_TRUE(cache.Write(offset, data.data()));
                touch(offset);
            } else {
                const bool held = std::find(model.begin(), model.end(), offset) != model.end();
                const uint64_t before = cache.FileReads();
                ASSERT_EQ(Block(static_cast<char>('a' + offset / kBlock)), ReadThrough(cache, offset));
                ASSERT_EQ(held ? 0u : 1u, cache.FileReads() - before) << "step " << step << " capacity " << capacity;
                touch(offset);
            }
        }
    }
}
