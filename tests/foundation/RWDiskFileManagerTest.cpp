#include "foundation/RWDiskFileManager.h"

#include "foundation/RWErrorHandler.h"

#include "DiskFileImage.h"
#include "TempPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <vector>

using namespace disktest;

namespace {

constexpr uint32_t kNone = RWDiskFileManager::kNone;

uint32_t LengthWord(RWDiskFileManager& file, uint32_t dataOffset)
{
    uint32_t length = 0;
    file.ReadAt(dataOffset - 4, &length, 4);
    return length;
}

ListImage Lists(RWDiskFileManager& file)
{
    file.Flush();
    return ReadLists(file.GetName());
}

// A file whose first list block is full: a start block, then 70 blocks of 8 bytes of
// which every other one from the first is freed (34 frees, no two touching), so that
// the 33rd free needs a second list block.
struct TwoBlockRing {
    explicit TwoBlockRing(RWDiskFileManager& file)
    {
        file.Allocate(4);
        for (int k = 0; k < 70; ++k)
            blocks.push_back(file.Allocate(4));
        for (int k = 0; k < 68; k += 2) {
            file.Deallocate(blocks[k]);
            freed.push_back({blocks[k] - 4, 8});
        }
    }
    std::vector<uint32_t> blocks;
    std::vector<Extent> freed;
};

std::vector<uint8_t> TenEntryFile()
{
    std::vector<uint8_t> bytes(104, 0);
    const uint32_t header[3] = {kNone, 104, 92};
    std::memcpy(bytes.data(), header, sizeof header);
    bytes[12] = 0x34;
    bytes[13] = 0x12;
    const uint32_t next = 12;
    std::memcpy(bytes.data() + 12 + 88, &next, 4);
    return bytes;
}

} // namespace

TEST(RWDiskFileManagerLayout, NewFileIsTheHeaderAndAnEmptyListBlock)
{
    TempPath path("new.dfm");
    {
        RWDiskFileManager file(path.c_str());
        ASSERT_TRUE(file.HasFreeList());
        EXPECT_EQ(kNone, file.Start());
        EXPECT_EQ(280u, file.End());
    }
    std::vector<uint8_t> expected = {0xFF, 0xFF, 0xFF, 0xFF, 0x18, 0x01, 0x00, 0x00, 0x0C, 0x01, 0x00, 0x00,
                                     0x35, 0x12, 0x00, 0x00};
    expected.resize(12 + 4 + 256 + 4, 0);
    const uint8_t next[] = {0x0C, 0x00, 0x00, 0x00};
    expected.insert(expected.end(), next, next + 4);
    ASSERT_EQ(280u, expected.size());
    EXPECT_EQ(expected, FileBytes(path.str()));
}

TEST(RWDiskFileManagerLayout, MissingFolderLeavesNoListAndFailsAllocation)
{
    RWDiskFileManager file(TempPath("nowhere\\x.dfm").c_str(), "rb+");
    EXPECT_FALSE(file.IsValid());
    EXPECT_FALSE(file.HasFreeList());
    EXPECT_EQ(kNone, file.Start());
    EXPECT_EQ(kNone, file.End());
    EXPECT_EQ(kNone, file.Allocate(4));
    file.Deallocate(284);
}

TEST(RWDiskFileManagerAllocate, FirstAllocationBecomesTheStartAndIsNeverFreed)
{
    TempPath path("first.dfm");
    RWDiskFileManager file(path.c_str());
    EXPECT_EQ(284u, file.Allocate(40));
    EXPECT_EQ(44u, LengthWord(file, 284));
    EXPECT_EQ(324u, file.End());
    EXPECT_EQ(284u, file.Start());
    file.Deallocate(284);
    EXPECT_EQ(324u, file.End());
    const ListImage lists = Lists(file);
    EXPECT_EQ(284u, lists.start);
    EXPECT_EQ(324u, lists.end);
    EXPECT_TRUE(lists.extents.empty());
    file.Deallocate(kNone);
}

TEST(RWDiskFileManagerAllocate, RoundsTheRequestUpToWholeWordsWithItsLengthWord)
{
    TempPath path("round.dfm");
    RWDiskFileManager file(path.c_str());
    const struct {
        uint32_t n, size;
    } cases[] = {{0, 8}, {1, 8}, {4, 8}, {5, 12}, {8, 12}, {9, 16}, {40, 44}, {488, 492}};
    for (const auto& c : cases) {
        const uint32_t end = file.End();
        const uint32_t p = file.Allocate(c.n);
        EXPECT_EQ(end + 4, p) << c.n;
        EXPECT_EQ(c.size, LengthWord(file, p)) << c.n;
        EXPECT_EQ(end + c.size, file.End()) << c.n;
    }
}

TEST(RWDiskFileManagerAllocate, SmallRemainderStaysWithTheBlock)
{
    TempPath path("remainder.dfm");
    RWDiskFileManager file(path.c_str());
    file.Allocate(4);
    const uint32_t x = file.Allocate(16);
    file.Allocate(4);
    file.Deallocate(x);
    EXPECT_EQ(std::vector<Extent>({{288, 20}}), Lists(file).extents);

    EXPECT_EQ(x, file.Allocate(12));
    EXPECT_EQ(20u, LengthWord(file, x));
    EXPECT_TRUE(Lists(file).extents.empty());

    file.Deallocate(x);
    EXPECT_EQ(x, file.Allocate(8));
    EXPECT_EQ(12u, LengthWord(file, x));
    EXPECT_EQ(std::vector<Extent>({{300, 8}}), Lists(file).extents);
}

TEST(RWDiskFileManagerAllocate, TakesTheFirstFitAndExtendsWhenNoneFits)
{
    TempPath path("firstfit.dfm");
    RWDiskFileManager file(path.c_str());
    file.Allocate(4);
    const uint32_t small = file.Allocate(8);
    file.Allocate(4);
    const uint32_t large = file.Allocate(60);
    file.Allocate(4);
    file.Deallocate(small);
    file.Deallocate(large);
    EXPECT_EQ(large, file.Allocate(20));
    const uint32_t end = file.End();
    EXPECT_EQ(end + 4, file.Allocate(100));
}

TEST(RWDiskFileManagerDeallocate, TailReleaseMovesTheEndBackOnly)
{
    TempPath path("tail.dfm");
    RWDiskFileManager file(path.c_str());
    file.Allocate(4);
    const uint32_t a = file.Allocate(8);
    const uint32_t b = file.Allocate(8);
    EXPECT_EQ(312u, file.End());
    file.Flush();
    const size_t size = FileBytes(path.str()).size();
    file.Deallocate(b);
    EXPECT_EQ(b - 4, file.End());
    file.Deallocate(a);
    EXPECT_EQ(a - 4, file.End());
    EXPECT_TRUE(Lists(file).extents.empty());
    file.Flush();
    EXPECT_EQ(size, FileBytes(path.str()).size());
}

// A new file with a start block, three neighbouring blocks of 12 bytes at 288, 300 and
// 312, and one more block behind them so that none of the three is the tail.
struct ThreeNeighbours {
    explicit ThreeNeighbours(const char* leaf) : path(leaf), file(path.c_str())
    {
        file.Allocate(4);
        a = file.Allocate(8);
        b = file.Allocate(8);
        c = file.Allocate(8);
        file.Allocate(4);
    }
    TempPath path;
    RWDiskFileManager file;
    uint32_t a, b, c;
};

TEST(RWDiskFileManagerDeallocate, NeighboursMergeIntoOneExtent)
{
    ThreeNeighbours t("merge.dfm");
    t.file.Deallocate(t.a);
    t.file.Deallocate(t.b);
    EXPECT_EQ(std::vector<Extent>({{288, 24}}), Lists(t.file).extents);
    t.file.Deallocate(t.c);
    EXPECT_EQ(std::vector<Extent>({{288, 36}}), Lists(t.file).extents);
}

TEST(RWDiskFileManagerDeallocate, MiddleBlockJoinsBothSides)
{
    ThreeNeighbours t("middle.dfm");
    t.file.Deallocate(t.a);
    t.file.Deallocate(t.c);
    EXPECT_EQ(std::vector<Extent>({{288, 12}, {312, 12}}), Lists(t.file).extents);
    t.file.Deallocate(t.b);
    EXPECT_EQ(std::vector<Extent>({{288, 36}}), Lists(t.file).extents);
}

TEST(RWDiskFileManagerDeallocate, ExtentBeforeAnEntryExtendsItDownwards)
{
    ThreeNeighbours t("before.dfm");
    t.file.Deallocate(t.c);
    t.file.Deallocate(t.b);
    EXPECT_EQ(std::vector<Extent>({{300, 24}}), Lists(t.file).extents);
    t.file.Deallocate(t.a);
    EXPECT_EQ(std::vector<Extent>({{288, 36}}), Lists(t.file).extents);
}

TEST(RWDiskFileManagerDeallocate, FullBlockGetsASecondBlockInTheRing)
{
    TempPath path("ring.dfm");
    std::vector<Extent> freed;
    {
        RWDiskFileManager file(path.c_str());
        TwoBlockRing ring(file);
        freed = ring.freed;
        const ListImage lists = Lists(file);
        // The new block came from the end of used space: no free extent could hold it.
        ASSERT_EQ(std::vector<uint32_t>({12, 848}), lists.blocks);
        EXPECT_EQ(std::vector<uint32_t>({32, 2}), lists.counts);
        EXPECT_EQ(848u + 268, lists.end);
        std::vector<Extent> all = lists.extents;
        std::sort(all.begin(), all.end());
        EXPECT_EQ(freed, all);
        const std::vector<uint8_t> bytes = FileBytes(path.str());
        EXPECT_EQ(0x1235u, Word(bytes, 848) & 0xFFFF);
        EXPECT_EQ(12u, Word(bytes, 848 + 264));
    }
    RWDiskFileManager again(path.c_str());
    ASSERT_TRUE(again.HasFreeList());
    std::vector<Extent> all = Lists(again).extents;
    std::sort(all.begin(), all.end());
    EXPECT_EQ(freed, all);
    // Every freed extent is handed out again before the file grows.
    std::vector<uint32_t> taken;
    for (size_t k = 0; k < freed.size(); ++k)
        taken.push_back(again.Allocate(4) - 4);
    std::sort(taken.begin(), taken.end());
    for (size_t k = 0; k < freed.size(); ++k)
        EXPECT_EQ(freed[k].offset, taken[k]);
    const ListImage lists = Lists(again);
    EXPECT_EQ(std::vector<uint32_t>({12}), lists.blocks);
    EXPECT_TRUE(lists.extents.empty());
    // The second list block was the tail and went back to the end of used space.
    EXPECT_EQ(848u, again.End());
}

TEST(RWDiskFileManagerDeallocate, EmptiedSecondBlockLeavesTheRing)
{
    TempPath path("unlink.dfm");
    RWDiskFileManager file(path.c_str());
    TwoBlockRing ring(file);
    // The second block is current: its two extents go first.
    EXPECT_EQ(ring.freed[32].offset + 4, file.Allocate(4));
    EXPECT_EQ(ring.freed[33].offset + 4, file.Allocate(4));
    const ListImage lists = Lists(file);
    EXPECT_EQ(std::vector<uint32_t>({12}), lists.blocks);
    EXPECT_EQ(32u, lists.extents.size());
    EXPECT_EQ(848u, file.End());
}

TEST(RWDiskFileManagerTenEntries, WorksWithBlocksOf92Bytes)
{
    TempPath path("ten.dfm");
    WriteFileBytes(path.str(), TenEntryFile());
    RWDiskFileManager file(path.c_str());
    ASSERT_TRUE(file.HasFreeList());
    EXPECT_EQ(92u, file.ListBlockSize());
    EXPECT_EQ(108u, file.Allocate(40));
    EXPECT_EQ(108u, file.Start());
    std::vector<uint32_t> blocks;
    for (int k = 0; k < 24; ++k)
        blocks.push_back(file.Allocate(4));
    for (int k = 0; k < 22; k += 2)
        file.Deallocate(blocks[k]);
    const ListImage lists = Lists(file);
    ASSERT_EQ(2u, lists.blocks.size());
    EXPECT_EQ(std::vector<uint32_t>({10, 1}), lists.counts);
    const std::vector<uint8_t> bytes = FileBytes(path.str());
    EXPECT_EQ(0x1234u, Word(bytes, lists.blocks[1]) & 0xFFFF);
    EXPECT_EQ(12u, Word(bytes, lists.blocks[1] + 88));
    EXPECT_EQ(lists.blocks[1] + 92, lists.end);
}

TEST(RWDiskFileManagerDamage, UnknownListBlockSizeRaisesFlist)
{
    TempPath path("flist.dfm");
    std::vector<uint8_t> bytes = TenEntryFile();
    const uint32_t size = 100;
    std::memcpy(bytes.data() + 8, &size, 4);
    WriteFileBytes(path.str(), bytes);
    RWErrorCapture capture;
    RWDiskFileManager file(path.c_str());
    EXPECT_EQ("[FLIST] Free list size error: expected 268, got 100", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWExternalError>());
    EXPECT_FALSE(file.HasFreeList());
    EXPECT_EQ(kNone, file.Allocate(4));
}

TEST(RWDiskFileManagerDamage, WrongMarkRaisesMagic)
{
    TempPath path("magic.dfm");
    std::vector<uint8_t> bytes = TenEntryFile();
    bytes[12] = 0x35;
    WriteFileBytes(path.str(), bytes);
    RWErrorCapture capture;
    RWDiskFileManager file(path.c_str());
    EXPECT_EQ("[MAGIC] Bad magic number: 4661 (should be 4660)", capture.Last());
    EXPECT_FALSE(file.HasFreeList());
}

TEST(RWDiskFileManagerDamage, TruncatedHeaderRaisesReadError)
{
    TempPath path("short.dfm");
    WriteFileBytes(path.str(), {0xFF, 0xFF, 0xFF, 0xFF, 0x18});
    RWErrorCapture capture;
    RWDiskFileManager file(path.c_str());
    EXPECT_EQ("[READERR] Read error", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWFileError>());
    EXPECT_FALSE(file.HasFreeList());
}

TEST(RWDiskFileManagerDamage, HeaderWordsOutsideTheFileAreRejected)
{
    const struct {
        size_t offset;
        uint32_t value;
    } cases[] = {{4, 100}, {4, 282}, {4, 0x80000000u}, {0, 12}, {0, 5000}, {0, 286}};
    for (const auto& c : cases) {
        TempPath path("header.dfm");
        { RWDiskFileManager file(path.c_str()); }
        PatchWord(path.str(), c.offset, c.value);
        RWErrorCapture capture;
        RWDiskFileManager file(path.c_str());
        EXPECT_EQ(1u, capture.Count()) << c.offset << " " << c.value;
        EXPECT_FALSE(file.HasFreeList());
        EXPECT_EQ(kNone, file.Allocate(4));
    }
}

TEST(RWDiskFileManagerDamage, CountAboveCapacityIsRejected)
{
    TempPath path("count.dfm");
    { RWDiskFileManager file(path.c_str()); }
    PatchWord(path.str(), 12 + 260, 40);
    RWErrorCapture capture;
    RWDiskFileManager file(path.c_str());
    EXPECT_EQ("[FLIST] Free list size error: expected 32, got 40", capture.Last());
    EXPECT_FALSE(file.HasFreeList());
}

TEST(RWDiskFileManagerDamage, EntriesOutsideTheUsedSpaceOrOutOfOrderAreRejected)
{
    const struct {
        uint32_t offset0, length0, offset1, length1;
    } cases[] = {
        {200, 8, 0, 0},          // inside the first list block
        {288, 8, 0, 0},          // past the end of used space
        {284, 6, 0, 0},          // a length that is no whole block
        {284, 0xFFFFFFF0u, 0, 0} // a length that would wrap
    };
    for (const auto& c : cases) {
        TempPath path("entries.dfm");
        {
            RWDiskFileManager file(path.c_str());
            file.Allocate(4);
        }
        PatchWord(path.str(), 12 + 4, c.offset0);
        PatchWord(path.str(), 12 + 132, c.length0);
        PatchWord(path.str(), 12 + 260, 1);
        RWErrorCapture capture;
        RWDiskFileManager file(path.c_str());
        EXPECT_EQ(1u, capture.Count()) << c.offset0;
        EXPECT_EQ(kNone, file.Allocate(4));
    }
    TempPath path("order.dfm");
    {
        RWDiskFileManager file(path.c_str());
        file.Allocate(4);
        for (int k = 0; k < 3; ++k)
            file.Allocate(4);
    }
    PatchWord(path.str(), 12 + 4, 296);
    PatchWord(path.str(), 12 + 8, 288);
    PatchWord(path.str(), 12 + 132, 8);
    PatchWord(path.str(), 12 + 136, 8);
    PatchWord(path.str(), 12 + 260, 2);
    RWErrorCapture capture;
    RWDiskFileManager file(path.c_str());
    EXPECT_EQ("[LONGINDEX] Long index (288) out of range [0->312]", capture.Last());
}

TEST(RWDiskFileManagerDamage, NextLinkCycleEndsTheWalkWithAnError)
{
    TempPath path("cycle.dfm");
    {
        RWDiskFileManager file(path.c_str());
        TwoBlockRing ring(file);
    }
    // The second block points at itself: the ring never comes back to 12.
    PatchWord(path.str(), 848 + 264, 848);
    RWErrorCapture capture;
    RWDiskFileManager file(path.c_str());
    ASSERT_TRUE(file.HasFreeList());
    const uint32_t end = file.End();
    EXPECT_EQ(kNone, file.Allocate(100));
    // 1116 bytes of used space hold at most four list blocks.
    EXPECT_EQ("[FLIST] Free list size error: expected 4, got 5", capture.Last());
    EXPECT_EQ(end, file.End());
    // The manager starts again from the block at 12 and still works where the damage
    // does not reach.
    capture.Clear();
    EXPECT_EQ(292u, file.Allocate(4));
    EXPECT_TRUE(capture.Empty());
}

TEST(RWDiskFileManagerDamage, NextLinkOutsideTheFileRaisesAnError)
{
    const uint32_t links[] = {0, 13, 848 + 8, 0xFFFFFFF0u};
    for (uint32_t link : links) {
        TempPath path("link.dfm");
        {
            RWDiskFileManager file(path.c_str());
            TwoBlockRing ring(file);
        }
        PatchWord(path.str(), 848 + 264, link);
        RWErrorCapture capture;
        RWDiskFileManager file(path.c_str());
        EXPECT_EQ(kNone, file.Allocate(100)) << link;
        EXPECT_EQ(1u, capture.Count()) << link;
    }
}

TEST(RWDiskFileManagerDamage, BadLengthWordsAreNotFreed)
{
    const uint32_t lengths[] = {0, 4, 6, 10, 0x7FFFFFF0u, 0xFFFFFFFCu};
    for (uint32_t length : lengths) {
        TempPath path("length.dfm");
        RWDiskFileManager file(path.c_str());
        file.Allocate(4);
        const uint32_t a = file.Allocate(8);
        file.Allocate(4);
        file.WriteAt(a - 4, &length, 4);
        RWErrorCapture capture;
        const uint32_t end = file.End();
        file.Deallocate(a);
        EXPECT_EQ(1u, capture.Count()) << length;
        EXPECT_TRUE(Lists(file).extents.empty()) << length;
        EXPECT_EQ(end, file.End());
    }
}

TEST(RWDiskFileManagerDamage, OffsetsThatCannotBeBlocksAreNotFreed)
{
    TempPath path("offsets.dfm");
    RWDiskFileManager file(path.c_str());
    file.Allocate(4);
    file.Allocate(8);
    const uint32_t offsets[] = {0, 4, 16, 280, 290, file.End(), 0xFFFFFFF0u};
    for (uint32_t offset : offsets) {
        RWErrorCapture capture;
        file.Deallocate(offset);
        EXPECT_EQ(1u, capture.Count()) << offset;
    }
    EXPECT_TRUE(Lists(file).extents.empty());
}

TEST(RWDiskFileManagerDamage, FreeingABlockTwiceIsRefused)
{
    TempPath path("twice.dfm");
    RWDiskFileManager file(path.c_str());
    file.Allocate(4);
    const uint32_t a = file.Allocate(8);
    file.Allocate(4);
    file.Deallocate(a);
    RWErrorCapture capture;
    file.Deallocate(a);
    EXPECT_EQ(1u, capture.Count());
    EXPECT_EQ(std::vector<Extent>({{288, 12}}), Lists(file).extents);
}

TEST(RWDiskFileManagerDamage, RequestsTooLargeForTheFileFailWithoutWrapping)
{
    TempPath path("huge.dfm");
    RWDiskFileManager file(path.c_str());
    const uint32_t sizes[] = {0xFFFFFFFFu, 0xFFFFFFF9u, 0x7FFFFFF8u, 0x7FFFFF00u};
    for (uint32_t n : sizes) {
        RWErrorCapture capture;
        EXPECT_EQ(kNone, file.Allocate(n)) << n;
        EXPECT_EQ("[WRITEERR] Write error", capture.Last()) << n;
        EXPECT_EQ(280u, file.End());
    }
    EXPECT_EQ(284u, file.Allocate(4));
}

TEST(RWDiskFileManagerDamage, ReadOnlyFileFailsAllocationCleanly)
{
    TempPath path("readonly.dfm");
    { RWDiskFileManager file(path.c_str()); }
    RWDiskFileManager file(path.c_str(), "rb");
    ASSERT_TRUE(file.HasFreeList());
    RWErrorCapture capture;
    EXPECT_EQ(kNone, file.Allocate(4));
    EXPECT_EQ("[WRITEERR] Write error", capture.Last());
    EXPECT_EQ(kNone, file.Start());
}

// Random allocations and frees, with reopening now and then: live blocks never overlap
// each other, the free extents or the list blocks, and every byte of the used space is
// accounted for.
TEST(RWDiskFileManagerSoak, RandomAllocationsKeepTheHeapConsistent)
{
    TempPath path("soak.dfm");
    std::mt19937 random(12345);
    std::map<uint32_t, uint32_t> live; // block start -> length
    std::unique_ptr<RWDiskFileManager> file(new RWDiskFileManager(path.c_str()));
    for (int step = 0; step < 4000; ++step) {
        if (step % 700 == 699) {
            file.reset();
            file.reset(new RWDiskFileManager(path.c_str()));
        }
        if (live.empty() || random() % 100 < 55) {
            const uint32_t n = random() % 4 == 0 ? random() % 600 : random() % 40;
            const uint32_t p = file->Allocate(n);
            ASSERT_NE(kNone, p);
            const uint32_t length = LengthWord(*file, p);
            ASSERT_GE(length, ((n + 7) & ~3u));
            live[p - 4] = length;
        } else {
            auto it = live.begin();
            std::advance(it, random() % live.size());
            if (it->first + 4 == file->Start())
                continue;
            file->Deallocate(it->first + 4);
            live.erase(it);
        }
    }
    const ListImage lists = Lists(*file);
    EXPECT_GT(lists.blocks.size(), 2u);
    std::vector<Extent> inUse;
    for (const auto& block : live)
        inUse.push_back({block.first, block.second});
    EXPECT_EQ("", UnaccountedSpace(lists, inUse));
}
