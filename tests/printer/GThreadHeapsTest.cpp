// The module's per-thread heaps: where a block lives, where it goes back to whichever
// thread frees it, and what a thread that ends or a pool that closes leaves behind. The
// threads here hand their heap back themselves, as the module's thread notification does.
#include "printer/GThreadHeaps.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Runs f on a thread of its own that hands its heap back when f returns.
template <class F>
void OnEndingThread(F f)
{
    std::thread thread([&] {
        f();
        GThreadHeaps::ThreadEnds();
    });
    thread.join();
}

TEST(GThreadHeaps, BlocksOfEverySizeAreAlignedWritableAndFromTheCallersHeap)
{
    const size_t sizes[] = {0, 1, 7, 8, 9, 64, 4095, 4096, 65536, 1u << 20};
    OnEndingThread([&] {
        for (size_t size : sizes) {
            void* block = GThreadHeaps::Allocate(size);
            ASSERT_NE(nullptr, block) << size;
            EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(block) % 8) << size;
            std::memset(block, 0xA5, size);
            EXPECT_NE(0u, GThreadHeaps::CurrentHeap());
            EXPECT_EQ(GThreadHeaps::CurrentHeap(), GThreadHeaps::HeapOf(block)) << size;
            GThreadHeaps::Free(block);
        }
    });
}

TEST(GThreadHeaps, SizesNoHeapCanHoldFailCleanly)
{
    const size_t sizes[] = {SIZE_MAX, SIZE_MAX - 7, SIZE_MAX - 8, SIZE_MAX / 2 + 1};
    OnEndingThread([&] {
        for (size_t size : sizes) {
            const uint32_t heap = GThreadHeaps::CurrentHeap();
            const long live = GThreadHeaps::LiveBlocks(heap);
            EXPECT_EQ(nullptr, GThreadHeaps::Allocate(size)) << size;
            EXPECT_EQ(live, GThreadHeaps::LiveBlocks(GThreadHeaps::CurrentHeap())) << size;
        }
    });
}

TEST(GThreadHeaps, AnAllocationKeepsTheCallersLastError)
{
    OnEndingThread([] {
        for (int round = 0; round < 2; ++round) { // the first leases the heap
            SetLastError(0xdeadbeef);
            void* block = GThreadHeaps::Allocate(16);
            EXPECT_EQ(0xdeadbeefu, GetLastError()) << round;
            GThreadHeaps::Free(block);
        }
    });
}

TEST(GThreadHeaps, FreeOfNullDoesNothing)
{
    const uint32_t heaps = GThreadHeaps::HeapCount();
    GThreadHeaps::Free(nullptr);
    EXPECT_EQ(heaps, GThreadHeaps::HeapCount());
    EXPECT_EQ(0u, GThreadHeaps::HeapOf(nullptr));
}

TEST(GThreadHeaps, ThreadsAllocatingAtOnceEachHaveAHeapOfTheirOwn)
{
    const int threads = 8;
    std::vector<uint32_t> heaps(threads);
    std::atomic<int> ready{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            void* block = GThreadHeaps::Allocate(32);
            heaps[t] = GThreadHeaps::HeapOf(block);
            // Every thread holds its heap until all have one.
            ++ready;
            while (ready < threads)
                std::this_thread::yield();
            GThreadHeaps::Free(block);
            GThreadHeaps::ThreadEnds();
        });
    for (std::thread& worker : workers)
        worker.join();
    for (int t = 0; t < threads; ++t) {
        EXPECT_NE(0u, heaps[t]) << t;
        for (int u = 0; u < t; ++u)
            EXPECT_NE(heaps[u], heaps[t]) << u << " and " << t;
    }
}

// A block freed by another thread goes back to the heap it came from.
TEST(GThreadHeaps, ABlockFreedByAnotherThreadReturnsToItsOwner)
{
    const struct {
        int blocks;
        size_t size;
    } rows[] = {{1, 8}, {100, 24}, {10, 100000}};
    for (const auto& row : rows) {
        std::vector<void*> blocks;
        uint32_t owner = 0;
        long before = 0;
        std::atomic<int> step{0};
        std::thread maker([&] {
            void* first = GThreadHeaps::Allocate(row.size);
            owner = GThreadHeaps::HeapOf(first);
            before = GThreadHeaps::LiveBlocks(owner) - 1;
            blocks.push_back(first);
            for (int i = 1; i < row.blocks; ++i)
                blocks.push_back(GThreadHeaps::Allocate(row.size));
            step = 1;
            // Still alive, still holding its heap, while another thread frees.
            while (step != 2)
                std::this_thread::yield();
            GThreadHeaps::ThreadEnds();
        });
        while (step != 1)
            std::this_thread::yield();
        EXPECT_EQ(before + row.blocks, GThreadHeaps::LiveBlocks(owner)) << row.blocks;
        std::thread freer([&] {
            for (void* block : blocks) {
                EXPECT_EQ(owner, GThreadHeaps::HeapOf(block));
                GThreadHeaps::Free(block);
            }
            GThreadHeaps::ThreadEnds();
        });
        freer.join();
        EXPECT_EQ(before, GThreadHeaps::LiveBlocks(owner)) << row.blocks;
        step = 2;
        maker.join();
    }
}

// A thread that ends hands its heap back with its live blocks; they are freed later, as
// the driver server frees an object it cached, and the heap serves the next thread.
TEST(GThreadHeaps, AThreadThatEndsLeavesItsLiveBlocksInAHeapThatLives)
{
    std::vector<void*> kept;
    uint32_t owner = 0;
    const uint32_t leasedBefore = GThreadHeaps::LeasedCount();
    OnEndingThread([&] {
        for (int i = 0; i < 50; ++i)
            kept.push_back(GThreadHeaps::Allocate(40));
        owner = GThreadHeaps::HeapOf(kept.front());
    });
    ASSERT_NE(0u, owner);
    EXPECT_EQ(leasedBefore, GThreadHeaps::LeasedCount());
    EXPECT_EQ(50, GThreadHeaps::LiveBlocks(owner));

    // The next thread takes over the heap with live blocks before any other.
    uint32_t next = 0;
    OnEndingThread([&] {
        void* block = GThreadHeaps::Allocate(8);
        next = GThreadHeaps::HeapOf(block);
        GThreadHeaps::Free(block);
    });
    EXPECT_EQ(owner, next);

    for (void* block : kept)
        GThreadHeaps::Free(block);
    EXPECT_EQ(0, GThreadHeaps::LiveBlocks(owner));
    EXPECT_LE(GThreadHeaps::HeapCount(), GThreadHeaps::kMaxHeaps);
}

TEST(GThreadHeaps, ThreadsThatEndKeepOnlyAFewEmptyHeaps)
{
    for (int round = 0; round < 3; ++round) {
        const int threads = int(GThreadHeaps::kMaxIdleEmpty) * 2;
        std::atomic<int> ready{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t)
            workers.emplace_back([&] {
                GThreadHeaps::Free(GThreadHeaps::Allocate(16));
                ++ready;
                while (ready < threads)
                    std::this_thread::yield();
                GThreadHeaps::ThreadEnds();
            });
        for (std::thread& worker : workers)
            worker.join();
        uint32_t withBlocks = 0;
        for (uint32_t heap = 1; heap <= GThreadHeaps::kMaxHeaps; ++heap)
            withBlocks += GThreadHeaps::LiveBlocks(heap) > 0 ? 1 : 0;
        EXPECT_EQ(0u, GThreadHeaps::LeasedCount()) << round;
        EXPECT_LE(GThreadHeaps::HeapCount() - withBlocks, GThreadHeaps::kMaxIdleEmpty) << round;
    }
}

// Sixteen threads allocate, keep some blocks, free others' blocks and end; every block
// goes back to its own heap and none is left counted.
TEST(GThreadHeaps, SixteenThreadsSharingBlocksLeaveEveryHeapAsItWas)
{
    std::vector<long> before(GThreadHeaps::kMaxHeaps + 1);
    for (uint32_t heap = 1; heap <= GThreadHeaps::kMaxHeaps; ++heap)
        before[heap] = GThreadHeaps::LiveBlocks(heap);
    std::mutex lock;
    std::vector<void*> passed;
    std::atomic<bool> wrongOwner{false};
    std::vector<std::thread> workers;
    for (int t = 0; t < 16; ++t)
        workers.emplace_back([&, t] {
            for (int round = 0; round < 200; ++round) {
                void* mine = GThreadHeaps::Allocate(size_t(8 + (round * 37 + t) % 300));
                if (GThreadHeaps::HeapOf(mine) != GThreadHeaps::CurrentHeap())
                    wrongOwner = true;
                void* theirs = nullptr;
                {
                    std::lock_guard<std::mutex> hold(lock);
                    passed.push_back(mine);
                    if (passed.size() > 8) {
                        theirs = passed.front();
                        passed.erase(passed.begin());
                    }
                }
                GThreadHeaps::Free(theirs);
            }
            GThreadHeaps::ThreadEnds();
        });
    for (std::thread& worker : workers)
        worker.join();
    for (void* block : passed)
        GThreadHeaps::Free(block);
    EXPECT_FALSE(wrongOwner);
    for (uint32_t heap = 1; heap <= GThreadHeaps::kMaxHeaps; ++heap)
        EXPECT_EQ(before[heap], GThreadHeaps::LiveBlocks(heap)) << heap;
}

// Small blocks made under an arena scope come from chunks: one heap call a chunk.
TEST(GThreadHeapsArena, SmallBlocksShareAChunkAndLargeOnesComeFromTheHeap)
{
    const struct {
        size_t size;
        int blocks;
        unsigned long heapCalls;
    } rows[] = {
        {1, 100, 1},
        {24, 1000, 1},
        {GThreadHeaps::kArenaLargest, 50, 1},
        {GThreadHeaps::kArenaLargest + 1, 5, 5},
        {1000, 200, 4}, // 1008 bytes a block: 65 to a chunk
    };
    for (const auto& row : rows) {
        OnEndingThread([&] {
            std::vector<void*> blocks;
            uint32_t heap = 0;
            unsigned long before = 0;
            long live = 0;
            {
                GThreadHeaps::Free(GThreadHeaps::Allocate(8)); // leases the heap
                heap = GThreadHeaps::CurrentHeap();
                live = GThreadHeaps::LiveBlocks(heap);
                before = GThreadHeaps::HeapBlocksTaken();
                GThreadHeaps::ArenaScope arena;
                for (int i = 0; i < row.blocks; ++i) {
                    void* block = GThreadHeaps::Allocate(row.size);
                    ASSERT_NE(nullptr, block);
                    EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(block) % 8);
                    EXPECT_EQ(heap, GThreadHeaps::HeapOf(block));
                    std::memset(block, 0x5A, row.size);
                    blocks.push_back(block);
                }
                EXPECT_EQ(row.heapCalls, GThreadHeaps::HeapBlocksTaken() - before) << row.size;
            }
            for (void* block : blocks)
                GThreadHeaps::Free(block);
            EXPECT_EQ(live, GThreadHeaps::LiveBlocks(heap)) << row.size;
        });
    }
}

TEST(GThreadHeapsArena, NestedScopesShareOneArena)
{
    OnEndingThread([] {
        GThreadHeaps::Free(GThreadHeaps::Allocate(8));
        const unsigned long before = GThreadHeaps::HeapBlocksTaken();
        std::vector<void*> blocks;
        {
            GThreadHeaps::ArenaScope outer;
            blocks.push_back(GThreadHeaps::Allocate(16));
            {
                GThreadHeaps::ArenaScope inner;
                blocks.push_back(GThreadHeaps::Allocate(16));
            }
            blocks.push_back(GThreadHeaps::Allocate(16));
        }
        EXPECT_EQ(1u, GThreadHeaps::HeapBlocksTaken() - before);
        // After the scope, blocks come from the heap again.
        blocks.push_back(GThreadHeaps::Allocate(16));
        EXPECT_EQ(2u, GThreadHeaps::HeapBlocksTaken() - before);
        for (void* block : blocks)
            GThreadHeaps::Free(block);
    });
}

// A tree's blocks freed on another thread, in any order, give the chunk back with the
// last; one block that outlives the tree keeps only its own chunk.
TEST(GThreadHeapsArena, AChunkGoesBackWithItsLastBlockOnWhicheverThread)
{
    const struct {
        int blocks;
        int survivors;
        long chunksLeft;
    } rows[] = {{10, 0, 0}, {10, 1, 1}, {2000, 1, 1}, {2000, 0, 0}};
    for (const auto& row : rows) {
        std::vector<void*> blocks;
        uint32_t heap = 0;
        long live = 0;
        OnEndingThread([&] {
            GThreadHeaps::Free(GThreadHeaps::Allocate(8));
            heap = GThreadHeaps::CurrentHeap();
            live = GThreadHeaps::LiveBlocks(heap);
            GThreadHeaps::ArenaScope arena;
            for (int i = 0; i < row.blocks; ++i)
                blocks.push_back(GThreadHeaps::Allocate(48));
        });
        std::vector<void*> survivors(blocks.begin(), blocks.begin() + row.survivors);
        OnEndingThread([&] {
            for (size_t i = blocks.size(); i-- > size_t(row.survivors);)
                GThreadHeaps::Free(blocks[i]);
        });
        EXPECT_EQ(live + row.chunksLeft, GThreadHeaps::LiveBlocks(heap)) << row.blocks;
        for (void* block : survivors)
            GThreadHeaps::Free(block);
        EXPECT_EQ(live, GThreadHeaps::LiveBlocks(heap)) << row.blocks;
    }
}

// Closing the pool destroys the empty heaps at once and a heap with live blocks when its
// last block goes; allocations after that come from the process heap.
TEST(GThreadHeaps, AClosedPoolLetsEachHeapGoWithItsLastBlock)
{
    std::vector<void*> kept;
    uint32_t owner = 0;
    OnEndingThread([&] {
        kept.push_back(GThreadHeaps::Allocate(100));
        kept.push_back(GThreadHeaps::Allocate(200));
        owner = GThreadHeaps::HeapOf(kept.front());
    });
    ASSERT_NE(0u, owner);
    uint32_t withBlocks = 0;
    for (uint32_t heap = 1; heap <= GThreadHeaps::kMaxHeaps; ++heap)
        withBlocks += GThreadHeaps::LiveBlocks(heap) > 0 ? 1 : 0;

    GThreadHeaps::Close();
    EXPECT_TRUE(GThreadHeaps::Closed());
    EXPECT_EQ(withBlocks, GThreadHeaps::HeapCount());
    EXPECT_EQ(2, GThreadHeaps::LiveBlocks(owner));
    void* late = GThreadHeaps::Allocate(48);
    ASSERT_NE(nullptr, late);
    EXPECT_EQ(0u, GThreadHeaps::HeapOf(late));
    GThreadHeaps::Free(late);

    GThreadHeaps::Free(kept[0]);
    EXPECT_EQ(withBlocks, GThreadHeaps::HeapCount());
    GThreadHeaps::Free(kept[1]);
    EXPECT_EQ(withBlocks - 1, GThreadHeaps::HeapCount());
    EXPECT_EQ(0, GThreadHeaps::LiveBlocks(owner));

    GThreadHeaps::Reopen();
    EXPECT_FALSE(GThreadHeaps::Closed());
    OnEndingThread([] {
        void* block = GThreadHeaps::Allocate(8);
        EXPECT_NE(0u, GThreadHeaps::HeapOf(block));
        GThreadHeaps::Free(block);
    });
}

} // namespace
