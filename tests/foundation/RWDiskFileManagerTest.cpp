#include "foundation/RWDiskFileManager.h"

#include "foundation/RWErrorHandler.h"

#include "DiskFileImage.h"
#include "TempPath.h"
#include "TestErrorCapture.h"

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

// A new file with a start block and three neighbouring blocks of 12 bytes at 288, 300
// and 312, with one more block behind them so that none of the three is the tail.
struct ThreeNeighbours {
    explicit ThreeNeighbours(const char* leaf) : path(leaf), file(path.c_str())
    {
        file.Allocate(4);
        for (uint32_t& block : blocks)
            block = file.Allocate(8);
        file.Allocate(4);
    }
    TempPath path;
    RWDiskFileManager file;
    uint32_t blocks[3];
};

// A file whose first list block is full: a start block, then 70 blocks of 8 bytes of
// which every other one from the first is freed (34 frees, no two touching), so that
// the 33rd free needs a second list block, which lands at 848.
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

// A file in the 10-entry form: header and an empty block of 92 bytes at 12.
std::vector<uint8_t> TenEntryFile()
{
    std::vector<uint8_t> bytes(104, 0);
    PatchWords(bytes, {{0, kNone}, {4, 104}, {8, 92}, {12, 0x1234}, {12 + 88, 12}});
    return bytes;
}

// The bytes of a new file after `allocations` blocks of 4 bytes were taken.
std::vector<uint8_t> ManagedFile(int allocations)
{
    TempPath path("image.dfm");
    {
        RWDiskFileManager file(path.c_str());
        for (int k = 0; k < allocations; ++k)
            file.Allocate(4);
    }
    return FileBytes(path.str());
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
    expected.insert(expected.end(), {0x0C, 0x00, 0x00, 0x00});
    ASSERT_EQ(280u, expected.size());
    EXPECT_EQ(expected, FileBytes(path.str()));
}

TEST(RWDiskFileManagerLayout, MissingFolderLeavesNoListAndFailsAllocation)
{
    RWDiskFileManager file(TempPath("nowhere\\x.dfm").c_str(), "rb+");
    EXPECT_FALSE(file.HasFreeList());
    EXPECT_EQ(kNone, file.Start());
    EXPECT_EQ(kNone, file.End());
    EXPECT_EQ(kNone, file.Allocate(4));
    file.Deallocate(284);
}

TEST(RWDiskFileManagerAllocate, FirstAllocationBecomesTheNeverFreedStart)
{
    TempPath path("first.dfm");
    RWDiskFileManager file(path.c_str());
    EXPECT_EQ(284u, file.Allocate(40));
    EXPECT_EQ(284u, file.Start());
    file.Deallocate(284);
    file.Deallocate(kNone);
    const ListImage lists = Lists(file);
    EXPECT_EQ(284u, lists.start);
    EXPECT_EQ(324u, lists.end);
    EXPECT_TRUE(lists.extents.empty());
}

// After blocks of the given sizes were taken and some freed, a request lands in the
// first free extent that fits (a remainder under 8 bytes stays with the block) or at
// the end; blocks hold n bytes plus the length word, in whole words.
TEST(RWDiskFileManagerAllocate, RequestsTakeTheFirstFitOrExtendTheFile)
{
    const struct {
        std::vector<uint32_t> sizes;
        std::vector<int> freed;
        uint32_t request;
        int block; // the index of the block handed out again, -1 for the end
        uint32_t length;
        std::vector<Extent> extents;
    } cases[] = {
        {{40}, {}, 0, -1, 8, {}},
        {{40}, {}, 1, -1, 8, {}},
        {{40}, {}, 4, -1, 8, {}},
        {{40}, {}, 5, -1, 12, {}},
        {{40}, {}, 8, -1, 12, {}},
        {{40}, {}, 9, -1, 16, {}},
        {{40}, {}, 488, -1, 492, {}},
        {{4, 16, 4}, {1}, 12, 1, 20, {}},
        {{4, 16, 4}, {1}, 8, 1, 12, {{300, 8}}},
        {{4, 8, 4, 60, 4}, {1, 3}, 20, 3, 24, {{288, 12}, {332, 40}}},
        {{4, 8, 4, 60, 4}, {1, 3}, 100, -1, 104, {{288, 12}, {308, 64}}},
    };
    for (const auto& c : cases) {
        TempPath path("allocate.dfm");
        RWDiskFileManager file(path.c_str());
        std::vector<uint32_t> blocks;
        for (uint32_t n : c.sizes)
            blocks.push_back(file.Allocate(n));
        for (int k : c.freed)
            file.Deallocate(blocks[k]);
        const uint32_t end = file.End();
        const uint32_t p = file.Allocate(c.request);
        EXPECT_EQ(c.block < 0 ? end + 4 : blocks[c.block], p) << c.request;
        EXPECT_EQ(c.length, LengthWord(file, p)) << c.request;
        EXPECT_EQ(c.block < 0 ? end + c.length : end, file.End()) << c.request;
        std::vector<Extent> extents = Lists(file).extents;
        std::sort(extents.begin(), extents.end());
        EXPECT_EQ(c.extents, extents) << c.request;
    }
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

// Three neighbours freed in each order end as one extent; after two frees the list
// shows whether the second one extended an entry upwards, downwards or stood alone.
TEST(RWDiskFileManagerDeallocate, NeighboursMergeIntoOneExtent)
{
    const struct {
        int order[3];
        std::vector<Extent> afterTwo;
    } cases[] = {
        {{0, 1, 2}, {{288, 24}}},            // the second extends the first upwards
        {{0, 2, 1}, {{288, 12}, {312, 12}}}, // the middle one then joins both sides
        {{2, 1, 0}, {{300, 24}}},            // the second extends the first downwards
    };
    for (const auto& c : cases) {
        ThreeNeighbours t("merge.dfm");
        t.file.Deallocate(t.blocks[c.order[0]]);
        t.file.Deallocate(t.blocks[c.order[1]]);
        EXPECT_EQ(c.afterTwo, Lists(t.file).extents) << c.order[1];
        t.file.Deallocate(t.blocks[c.order[2]]);
        EXPECT_EQ(std::vector<Extent>({{288, 36}}), Lists(t.file).extents) << c.order[1];
    }
}

TEST(RWDiskFileManagerDeallocate, FullBlockGetsASecondBlockInTheRing)
{
    TempPath path("ring.dfm");
    std::vector<Extent> freed;
    {
        RWDiskFileManager file(path.c_str());
        freed = TwoBlockRing(file).freed;
        const ListImage lists = Lists(file);
        // The new block came from the end of used space: no free extent could hold it.
        ASSERT_EQ(std::vector<uint32_t>({12, 848}), lists.blocks);
        EXPECT_EQ(std::vector<uint32_t>({32, 2}), lists.counts);
        EXPECT_EQ(848u + 268, lists.end);
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
    std::vector<Extent> taken;
    for (size_t k = 0; k < freed.size(); ++k)
        taken.push_back({again.Allocate(4) - 4, 8});
    std::sort(taken.begin(), taken.end());
    EXPECT_EQ(freed, taken);
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

// Truncated or crafted headers and first list blocks: opening raises one error and
// leaves a manager without a list that refuses to allocate.
TEST(RWDiskFileManagerDamage, CraftedHeadersAndListBlocksAreRejected)
{
    const std::vector<uint8_t> ten = TenEntryFile(), fresh = ManagedFile(0), one = ManagedFile(1),
                               four = ManagedFile(4);
    const struct {
        std::vector<uint8_t> base;
        std::vector<Patch> patches;
        const char* message;
    } cases[] = {
        {{0xFF, 0xFF, 0xFF, 0xFF, 0x18}, {}, "[READERR] Read error"},
        {ten, {{8, 100}}, "[FLIST] Free list size error: expected 268, got 100"},
        {ten, {{12, 0x1235}}, "[MAGIC] Bad magic number: 4661 (should be 4660)"},
        // A block count above the capacity of 32, or of 10, by one and by more.
        {fresh, {{12 + 260, 33}}, "[FLIST] Free list size error: expected 32, got 33"},
        {fresh, {{12 + 260, 40}}, "[FLIST] Free list size error: expected 32, got 40"},
        {ten, {{12 + 84, 11}}, "[FLIST] Free list size error: expected 10, got 11"},
        // Header words outside the file or not on a block boundary.
        {fresh, {{4, 100}}, "[LONGINDEX] Long index (100) out of range [0->2147483647]"},
        {fresh, {{4, 282}}, "[LONGINDEX] Long index (282) out of range [0->2147483647]"},
        {fresh, {{4, 0x80000000u}}, "[LONGINDEX] Long index (2147483648) out of range [0->2147483647]"},
        {fresh, {{0, 12}}, "[LONGINDEX] Long index (12) out of range [0->280]"},
        {fresh, {{0, 5000}}, "[LONGINDEX] Long index (5000) out of range [0->280]"},
        {fresh, {{0, 286}}, "[LONGINDEX] Long index (286) out of range [0->280]"},
        // Entries inside the first list block, past the used space, of no whole block,
        // of a length that would wrap, and out of order.
        {one, {{16, 200}, {144, 8}, {272, 1}}, "[LONGINDEX] Long index (200) out of range [0->288]"},
        {one, {{16, 288}, {144, 8}, {272, 1}}, "[LONGINDEX] Long index (288) out of range [0->288]"},
        {one, {{16, 284}, {144, 6}, {272, 1}}, "[LONGINDEX] Long index (284) out of range [0->288]"},
        {one, {{16, 284}, {144, 0xFFFFFFF0u}, {272, 1}}, "[LONGINDEX] Long index (284) out of range [0->288]"},
        {four,
         {{16, 296}, {20, 288}, {144, 8}, {148, 8}, {272, 2}},
         "[LONGINDEX] Long index (288) out of range [0->312]"},
        // Two extents that overlap by one word.
        {four,
         {{16, 288}, {20, 292}, {144, 8}, {148, 8}, {272, 2}},
         "[LONGINDEX] Long index (292) out of range [0->312]"},
    };
    for (const auto& c : cases) {
        TempPath path("crafted.dfm");
        std::vector<uint8_t> bytes = c.base;
        PatchWords(bytes, c.patches);
        WriteFileBytes(path.str(), bytes);
        TestErrorCapture capture;
        RWDiskFileManager file(path.c_str());
        EXPECT_EQ(c.message, capture.Last());
        EXPECT_EQ(1u, capture.Count()) << c.message;
        EXPECT_TRUE(c.message[1] == 'R' ? capture.LastIs<RWFileError>() : capture.LastIs<RWExternalError>());
        EXPECT_FALSE(file.HasFreeList()) << c.message;
        EXPECT_EQ(kNone, file.Allocate(4)) << c.message;
    }
}

// A first list block at its bounds opens: as many entries as it holds, extents that
// touch each other, the first one at the end of the block itself.
TEST(RWDiskFileManagerDamage, ListBlocksAtTheirBoundsAreAccepted)
{
    for (uint32_t capacity : {32u, 10u}) {
        const uint32_t first = 12 + 4 + 8 * capacity + 8;
        std::vector<uint8_t> bytes = capacity == 32 ? ManagedFile(0) : TenEntryFile();
        std::vector<Patch> patches = {{4, first + 8 * capacity}, {12 + 4 + 8 * capacity, capacity}};
        for (uint32_t i = 0; i < capacity; ++i) {
            patches.push_back({16 + 4 * i, first + 8 * i});
            patches.push_back({16 + 4 * capacity + 4 * i, 8});
        }
        PatchWords(bytes, patches);
        bytes.resize(first + 8 * capacity);
        TempPath path("bounds.dfm");
        WriteFileBytes(path.str(), bytes);
        TestErrorCapture capture;
        RWDiskFileManager file(path.c_str());
        EXPECT_TRUE(capture.Empty()) << capture.Last();
        ASSERT_TRUE(file.HasFreeList()) << capacity;
        EXPECT_EQ(capacity, Lists(file).extents.size());
        EXPECT_EQ(first + 4, file.Allocate(4)) << capacity;
    }
}

// The second list block's next link points at itself (the ring never comes back to 12),
// outside the file or into a block: the walk ends with one error, nothing is allocated,
// and the manager starts again from the block at 12 where the damage does not reach.
TEST(RWDiskFileManagerDamage, BadNextLinkEndsTheWalkWithAnError)
{
    const struct {
        uint32_t link;
        const char* message;
    } cases[] = {
        // 1116 bytes of used space hold at most four list blocks.
        {848, "[FLIST] Free list size error: expected 4, got 5"},
        {0, "[LONGINDEX] Long index (0) out of range [0->1116]"},
        {13, "[LONGINDEX] Long index (13) out of range [0->1116]"},
        {848 + 8, "[LONGINDEX] Long index (856) out of range [0->1116]"},
        {0xFFFFFFF0u, "[LONGINDEX] Long index (4294967280) out of range [0->1116]"},
    };
    for (const auto& c : cases) {
        TempPath path("link.dfm");
        {
            RWDiskFileManager file(path.c_str());
            TwoBlockRing ring(file);
        }
        PatchWord(path.str(), 848 + 264, c.link);
        TestErrorCapture capture;
        RWDiskFileManager file(path.c_str());
        ASSERT_TRUE(file.HasFreeList());
        const uint32_t end = file.End();
        EXPECT_EQ(kNone, file.Allocate(100)) << c.link;
        EXPECT_EQ(c.message, capture.Last()) << c.link;
        EXPECT_EQ(1u, capture.Count()) << c.link;
        EXPECT_EQ(end, file.End()) << c.link;
        capture.Clear();
        EXPECT_EQ(292u, file.Allocate(4)) << c.link;
        EXPECT_TRUE(capture.Empty()) << c.link;
    }
}

TEST(RWDiskFileManagerDamage, BadLengthWordsAreNotFreed)
{
    for (uint32_t length : {0u, 4u, 6u, 10u, 0x7FFFFFF0u, 0xFFFFFFFCu}) {
        TempPath path("length.dfm");
        RWDiskFileManager file(path.c_str());
        file.Allocate(4);
        const uint32_t a = file.Allocate(8);
        file.Allocate(4);
        file.WriteAt(a - 4, &length, 4);
        TestErrorCapture capture;
        const uint32_t end = file.End();
        file.Deallocate(a);
        EXPECT_EQ(1u, capture.Count()) << length;
        EXPECT_TRUE(Lists(file).extents.empty()) << length;
        EXPECT_EQ(end, file.End());
    }
}

// Offsets outside the used space, inside the header or a block, and a block that is
// already free are refused, and the lists stay as they were.
TEST(RWDiskFileManagerDamage, OffsetsOfNoBlockInUseAreNotFreed)
{
    ThreeNeighbours t("offsets.dfm");
    t.file.Deallocate(t.blocks[0]);
    for (uint32_t offset : {0u, 4u, 16u, 280u, 290u, t.file.End(), 0xFFFFFFF0u, t.blocks[0]}) {
        TestErrorCapture capture;
        t.file.Deallocate(offset);
        EXPECT_EQ(1u, capture.Count()) << offset;
    }
    EXPECT_EQ(std::vector<Extent>({{288, 12}}), Lists(t.file).extents);
}

// A block whose length word was made to reach one word into its free neighbour, or
// whose free extent so reaches into the block freed next, is given back twice in part:
// refused, while a block that only touches a free extent joins it.
TEST(RWDiskFileManagerDamage, AFreedBlockMayTouchAFreeExtentButNotOverlapIt)
{
    const struct {
        uint32_t firstLength; // the length word of the first of the three neighbours
        int freedFirst, freedSecond;
        unsigned errors;
        std::vector<Extent> extents;
    } cases[] = {
        {12, 1, 0, 0, {{288, 24}}},
        {16, 1, 0, 1, {{300, 12}}},
        {12, 0, 1, 0, {{288, 24}}},
        {16, 0, 1, 1, {{288, 16}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.firstLength << " freed " << c.freedFirst << " first");
        ThreeNeighbours t("overlap.dfm");
        t.file.WriteAt(t.blocks[0] - 4, &c.firstLength, 4);
        t.file.Deallocate(t.blocks[c.freedFirst]);
        TestErrorCapture capture;
        t.file.Deallocate(t.blocks[c.freedSecond]);
        EXPECT_EQ(c.errors, capture.Count());
        EXPECT_EQ(c.extents, Lists(t.file).extents);
    }
}

TEST(RWDiskFileManagerDamage, RequestsTooLargeForTheFileFailWithoutWrapping)
{
    TempPath path("huge.dfm");
    RWDiskFileManager file(path.c_str());
    for (uint32_t n : {0xFFFFFFFFu, 0xFFFFFFF9u, 0x7FFFFFF8u, 0x7FFFFF00u}) {
        TestErrorCapture capture;
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
    TestErrorCapture capture;
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
