#include "foundation/RWDiskCache.h"

#include "foundation/RWBinaryFile.h"

#include "DiskFileImage.h"
#include "TempPath.h"

#include <gtest/gtest.h>

#include <string>

using namespace disktest;

namespace {

constexpr uint32_t kBlock = 16;

std::string Block(char c) { return std::string(kBlock, c); }

// Changes a block behind the cache's back.
void Overwrite(RWBinaryFile& file, uint32_t offset, char c)
{
    const std::string bytes = Block(c);
    ASSERT_TRUE(file.SeekTo(static_cast<long>(offset)));
    ASSERT_TRUE(file.Write(bytes.data(), kBlock));
    ASSERT_TRUE(file.Flush());
}

std::string ReadThrough(RWDiskCache& cache, uint32_t offset)
{
    std::string out(kBlock, '?');
    if (!cache.Read(offset, &out[0]))
        return "failed";
    return out;
}

struct CacheFile {
    explicit CacheFile(const char* leaf, uint32_t blocks) : path(leaf), file(path.c_str(), "wb+")
    {
        for (uint32_t i = 0; i < blocks; ++i) {
            const std::string bytes = Block(static_cast<char>('a' + i));
            file.Write(bytes.data(), kBlock);
        }
        file.Flush();
    }
    TempPath path;
    RWBinaryFile file;
};

} // namespace

TEST(RWDiskCache, ReadsBlocksAndServesHitsFromItsBuffers)
{
    CacheFile f("hits.bin", 4);
    RWDiskCache cache(f.file, kBlock, 10);
    EXPECT_EQ(Block('b'), ReadThrough(cache, 16));
    EXPECT_EQ(1u, cache.Used());
    Overwrite(f.file, 16, 'X');
    EXPECT_EQ(Block('b'), ReadThrough(cache, 16));
    EXPECT_EQ(1u, cache.Used());
}

TEST(RWDiskCache, WritesGoThroughToTheFileAtOnce)
{
    CacheFile f("through.bin", 4);
    RWDiskCache cache(f.file, kBlock, 10);
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
    EXPECT_EQ(10u, cache.Used());
    // Block 0 is touched again, so block 1 is now untouched longest.
    ReadThrough(cache, 0);
    ReadThrough(cache, 10 * kBlock);
    EXPECT_EQ(10u, cache.Used());
    Overwrite(f.file, 0, 'X');
    Overwrite(f.file, 1 * kBlock, 'Y');
    Overwrite(f.file, 2 * kBlock, 'Z');
    EXPECT_EQ(Block('a'), ReadThrough(cache, 0));
    EXPECT_EQ(Block('c'), ReadThrough(cache, 2 * kBlock));
    EXPECT_EQ(Block('Y'), ReadThrough(cache, 1 * kBlock));
}

TEST(RWDiskCache, FailedReadLeavesNothingCached)
{
    CacheFile f("fail.bin", 2);
    RWDiskCache cache(f.file, kBlock, 2);
    EXPECT_EQ("failed", ReadThrough(cache, 5 * kBlock));
    EXPECT_EQ("failed", ReadThrough(cache, 0x80000000u));
    Overwrite(f.file, 5 * kBlock, 'N');
    EXPECT_EQ(Block('N'), ReadThrough(cache, 5 * kBlock));
    EXPECT_EQ(Block('a'), ReadThrough(cache, 0));
    EXPECT_EQ(Block('N'), ReadThrough(cache, 5 * kBlock));
}

TEST(RWDiskCache, ForgetDropsEveryBufferWithoutWriting)
{
    CacheFile f("forget.bin", 2);
    RWDiskCache cache(f.file, kBlock, 4);
    ReadThrough(cache, 0);
    Overwrite(f.file, 0, 'F');
    cache.Forget();
    EXPECT_EQ(0u, cache.Used());
    EXPECT_EQ(Block('F'), ReadThrough(cache, 0));
}

TEST(RWDiskCache, WithoutBuffersEveryAccessGoesToTheFile)
{
    CacheFile f("none.bin", 2);
    RWDiskCache cache(f.file, kBlock, 0);
    EXPECT_EQ(Block('b'), ReadThrough(cache, kBlock));
    Overwrite(f.file, kBlock, 'W');
    EXPECT_EQ(Block('W'), ReadThrough(cache, kBlock));
    EXPECT_EQ(0u, cache.Used());
}

TEST(RWDiskCache, CapacityIsLoweredToWhatOffsetsCanCount)
{
    CacheFile f("huge.bin", 1);
    RWDiskCache cache(f.file, 488, 0xFFFFFFFFu);
    EXPECT_EQ(0xFFFFFFFFu / 488, cache.Capacity());
    RWDiskCache fits(f.file, 488, 10);
    EXPECT_EQ(10u, fits.Capacity());
}

TEST(RWDiskCache, ReadOnlyFileRefusesWritesAndCachesNothing)
{
    TempPath path("ro.bin");
    {
        RWBinaryFile create(path.c_str(), "wb");
        const std::string bytes = Block('r');
        create.Write(bytes.data(), kBlock);
    }
    RWBinaryFile file(path.c_str(), "rb");
    RWDiskCache cache(file, kBlock, 2);
    const std::string data = Block('w');
    EXPECT_FALSE(cache.Write(0, data.data()));
    EXPECT_EQ(Block('r'), ReadThrough(cache, 0));
}
