#include "entry/module/ModuleBlockCache.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

// This program keeps the runtime's operator new: only the calls made here go through the
// caches, which each test opens and closes.
class ModuleBlockCacheTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ModuleBlockCache::Open()); }
    void TearDown() override { ModuleBlockCache::Close(); }
};

// The bytes in use in every heap of the process.
size_t BusyBytes()
{
    size_t busy = 0;
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    const DWORD count = GetProcessHeaps(DWORD(heaps.size()), heaps.data());
    for (DWORD i = 0; i < count && i < heaps.size(); ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                busy += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return busy;
}

TEST_F(ModuleBlockCacheTest, KeepsABlockOnlyWhenItsNamedSizeMayBeHandedOutAgain)
{
    const size_t largest = ModuleBlockCache::kLargestKept;
    const struct {
        size_t size;
        bool kept;
    } rows[] = {{4, true}, {12, true}, {largest, true}, {largest + 4, false}, {13, false}, {0, false}};
    for (const auto& row : rows) {
        void* block = std::malloc(row.size ? row.size : 1);
        ModuleBlockCache::Free(block, row.size);
        EXPECT_EQ(row.kept ? 1u : 0u, ModuleBlockCache::KeptBlocks()) << row.size;
        EXPECT_EQ(row.kept ? row.size : 0u, ModuleBlockCache::KeptBytes()) << row.size;
        if (row.kept) {
            void* again = ModuleBlockCache::Allocate(row.size - 1);
            EXPECT_EQ(block, again) << row.size << ": an allocation that rounds to the size takes it";
            ModuleBlockCache::Free(again);
        }
        EXPECT_EQ(0u, ModuleBlockCache::KeptBlocks()) << row.size;
    }
}

TEST_F(ModuleBlockCacheTest, AllocationsAskForSizesRoundedToTheGrain)
{
    const size_t largest = ModuleBlockCache::kLargestKept;
    const struct {
        size_t size, rounded;
    } rows[] = {{0, 4}, {1, 4}, {4, 4}, {5, 8}, {largest - 1, largest}, {largest, largest}, {largest + 1, largest + 1}};
    for (const auto& row : rows)
        EXPECT_EQ(row.rounded, ModuleBlockCache::RoundedSize(row.size)) << row.size;
    // The module's own block, freed with the size it asked for, is kept though that size
    // was not a multiple of the grain.
    void* block = ModuleBlockCache::Allocate(13);
    ModuleBlockCache::Free(block, ModuleBlockCache::RoundedSize(13));
    EXPECT_EQ(1u, ModuleBlockCache::KeptBlocks());
}

TEST_F(ModuleBlockCacheTest, AThreadKeepsABoundedNumberOfBlocksAndBytes)
{
    for (uint32_t i = 0; i <= ModuleBlockCache::kMostPerSize; ++i)
        ModuleBlockCache::Free(std::malloc(16), 16);
    EXPECT_EQ(ModuleBlockCache::kMostPerSize, ModuleBlockCache::KeptBlocks()) << "one past the bound is not kept";
    ModuleBlockCache::Trim();

    // The largest blocks until one is refused: the one refused would pass the byte bound.
    size_t size = ModuleBlockCache::kLargestKept;
    for (;;) {
        const size_t before = ModuleBlockCache::KeptBytes();
        ModuleBlockCache::Free(std::malloc(size), size);
        if (ModuleBlockCache::KeptBytes() == before) {
            EXPECT_GT(before + size, ModuleBlockCache::kMostBytesPerThread);
            break;
        }
        if (ModuleBlockCache::KeptBlocks() % ModuleBlockCache::kMostPerSize == 0)
            size -= ModuleBlockCache::kGrain;
    }
    EXPECT_LE(ModuleBlockCache::KeptBytes(), ModuleBlockCache::kMostBytesPerThread);
    EXPECT_EQ(1, ModuleBlockCache::Trim());
    EXPECT_EQ(0u, ModuleBlockCache::KeptBytes());
    EXPECT_EQ(0, ModuleBlockCache::Trim()) << "nothing left to give back";
}

// Blocks made on one thread and freed on another are kept by the one that frees them;
// each thread that ends gives its own back, and Close gives back those of a thread
// still running. Nothing stays in the heaps either way.
TEST_F(ModuleBlockCacheTest, EndingThreadsAndCloseGiveEveryKeptBlockBack)
{
    const int kThreads = 16;
    const int kBlocks = 64;
    const size_t start = BusyBytes();
    std::vector<std::vector<void*>> made(kThreads);
    for (std::vector<void*>& blocks : made)
        for (int i = 0; i < kBlocks; ++i)
            blocks.push_back(ModuleBlockCache::Allocate(ModuleBlockCache::kLargestKept));
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (void* block : made[t])
                ModuleBlockCache::Free(block, ModuleBlockCache::kLargestKept);
            if (ModuleBlockCache::KeptBlocks() != uint32_t(kBlocks))
                ++failures;
            ModuleBlockCache::ThreadEnds();
            if (ModuleBlockCache::KeptBlocks() != 0)
                ++failures;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_LT(BusyBytes(), start + 16 * 1024) << "the ended threads' blocks went back";

    // A thread that keeps blocks and runs on across the close.
    std::atomic<int> stage{0};
    std::thread running([&] {
        for (int i = 0; i < kBlocks; ++i)
            ModuleBlockCache::Free(std::malloc(ModuleBlockCache::kLargestKept), ModuleBlockCache::kLargestKept);
        stage = 1;
        while (stage != 2)
            Sleep(1);
        // Closed: nothing is kept any more.
        ModuleBlockCache::Free(std::malloc(16), 16);
        if (ModuleBlockCache::KeptBlocks() != 0)
            ++failures;
    });
    while (stage != 1)
        Sleep(1);
    const size_t kept = BusyBytes();
    ModuleBlockCache::Close();
    const size_t closed = BusyBytes();
    stage = 2;
    running.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_GE(kept, closed + kBlocks * ModuleBlockCache::kLargestKept) << "Close gave the running thread's blocks back";
}

// The loader's notice that a thread ends reaches the module's entry, which gives that
// thread's kept blocks back.
TEST_F(ModuleBlockCacheTest, AThreadsDetachGivesItsBlocksBack)
{
    const int kBlocks = 64;
    const size_t start = BusyBytes();
    uint32_t kept = 0, left = 0;
    std::thread([&] {
        for (int i = 0; i < kBlocks; ++i)
            ModuleBlockCache::Free(std::malloc(ModuleBlockCache::kLargestKept), ModuleBlockCache::kLargestKept);
        kept = ModuleBlockCache::KeptBlocks();
        DllMain(nullptr, DLL_THREAD_DETACH, nullptr);
        left = ModuleBlockCache::KeptBlocks();
    }).join();
    EXPECT_EQ(uint32_t(kBlocks), kept);
    EXPECT_EQ(0u, left);
    EXPECT_LT(BusyBytes(), start + kBlocks * ModuleBlockCache::kLargestKept / 2);
}

// An allocation between a failed call and its caller's GetLastError leaves the error.
TEST_F(ModuleBlockCacheTest, KeepsTheThreadsLastError)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    void* block = ModuleBlockCache::Allocate(16);
    ModuleBlockCache::Free(block, 16);
    void* again = ModuleBlockCache::Allocate(16);
    EXPECT_EQ(DWORD(ERROR_FILE_NOT_FOUND), GetLastError());
    ModuleBlockCache::Free(again, 16);
}

} // namespace
