// The module's own heaps: each thread that allocates leases a private heap of its own, so
// threads that allocate at the same time never queue on one lock. A block carries its
// heap, so whichever thread frees it, it goes back to the heap it came from (the driver
// server's cached objects are made on one thread and freed on another). A thread that
// ends hands its heap back to the pool with whatever blocks still live in it; the next
// thread that needs a heap takes it over, so no heap with live blocks is ever lost. When
// the module closes the pool, an empty heap is destroyed at once and one with live
// blocks when its last block is freed; allocations after that use the process heap.
//
// While an ArenaScope is open on a thread, its small blocks are cut from chunks of the
// thread's heap instead (one heap call a chunk, not one a block): for trees of many small
// objects made together, such as the driver model read from its file. A chunk counts its
// live blocks and goes back to its heap with the last, whichever thread frees it, so a
// block that outlives its tree keeps only its own chunk.
#pragma once

#include <cstddef>
#include <cstdint>

class GThreadHeaps {
public:
    // At most this many private heaps exist at once; threads beyond them share the
    // process heap.
    static constexpr uint32_t kMaxHeaps = 64;
    // Idle heaps without a live block beyond this many are destroyed as threads end.
    static constexpr uint32_t kMaxIdleEmpty = 8;

    // Blocks cut from a chunk are at most this large; larger ones come from the heap.
    static constexpr std::size_t kArenaLargest = 1024;
    static constexpr std::size_t kChunkSize = 64 * 1024;

    // Opens an arena on the calling thread for its lifetime (nested scopes share one).
    class ArenaScope {
    public:
        ArenaScope() noexcept;
        ~ArenaScope();
        ArenaScope(const ArenaScope&) = delete;
        ArenaScope& operator=(const ArenaScope&) = delete;

    private:
        bool open_;
    };

    // A block of the given size from the calling thread's heap (leased on first use);
    // null when the heap has no room. Blocks are aligned to 8 bytes.
    static void* Allocate(std::size_t size) noexcept;
    // Returns a block of Allocate to the heap it came from; null is allowed.
    static void Free(void* block) noexcept;
    // The calling thread ends: its heap goes back to the pool, live blocks and all.
    static void ThreadEnds() noexcept;
    // The module unloads: no heap is leased any more; empty heaps are destroyed now, the
    // others when their last block is freed.
    static void Close() noexcept;

    // What tests observe. The number of the heap a block lives in (1 to kMaxHeaps; 0 for
    // the process heap); of the calling thread's heap (0 when none is leased); the live
    // blocks of a heap by number; the private heaps that exist; those leased by threads.
    static uint32_t HeapOf(const void* block) noexcept;
    static uint32_t CurrentHeap() noexcept;
    static long LiveBlocks(uint32_t heap) noexcept;
    static uint32_t HeapCount() noexcept;
    // Blocks the calling thread's heap has handed out (chunks counted once, their blocks
    // not), since the thread leased it.
    static unsigned long HeapBlocksTaken() noexcept;
    static uint32_t LeasedCount() noexcept;
    // Whether the pool is closed (after Close, until the module is loaded again).
    static bool Closed() noexcept;
    // Tests only: opens a closed pool again, as a new load of the module would find it.
    static void Reopen() noexcept;
};
