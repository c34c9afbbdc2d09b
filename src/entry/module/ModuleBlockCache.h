// Each thread's recently freed small blocks, kept for the same thread's next allocations
// of the same size, so that the threads of a host that call the module at once do not
// queue on the C runtime heap's one lock for every object they copy and free.
//
// Every block is the runtime's own (malloc/free): a kept block is only ever handed out
// again or given back to free, so a block the host made and the module frees, or the
// reverse, stays the runtime's to free. A block is kept only when the size its delete
// names is a multiple of the grain and within the largest kept size: such a block holds
// at least that many bytes whoever made it. Not every block of the module's is kept: the
// module's operator new asks for sizes rounded up to the grain, but a block is judged by
// the size its delete names, so one freed without a size (arrays, some of the runtime's
// own), freed with a size that is no multiple of the grain, larger than the largest kept
// size, or past a thread's bounds goes straight back to the runtime.
//
// A thread keeps at most a bounded number of bytes and blocks per size; what a thread
// keeps goes back to the runtime when the thread ends (its detach) and when it runs out
// of memory. Close gives back every thread's kept blocks at once and from then on every
// call goes straight to the runtime. It runs only in an unload's detach, where no thread
// may be inside the module: the loader holds its lock, so no thread's detach runs at the
// same time, and a thread still running the module's code would lose that code with the
// unmapping. A Close that only marked the caches, each thread freeing its own later,
// would leave the blocks of every thread that never calls the module again: after the
// unload none does, and no detach of theirs reaches the module.
#pragma once

#include <cstddef>
#include <cstdint>

class ModuleBlockCache {
public:
    static constexpr std::size_t kGrain = 4;
    static constexpr std::size_t kLargestKept = 512;
    static constexpr uint32_t kMostPerSize = 256;
    static constexpr std::size_t kMostBytesPerThread = 256 * 1024;

    // From now on threads keep blocks; false when no thread slot could be had.
    static bool Open();
    // Every thread's kept blocks go back to the runtime, and from now on nothing is kept.
    // No other thread may be inside Allocate, Free or ThreadEnds meanwhile (see above).
    static void Close();
    // The calling thread's kept blocks go back to the runtime; its cache goes too.
    static void ThreadEnds();
    // The calling thread's kept blocks go back to the runtime; 1 when there was one.
    static int Trim();

    // A block of at least size bytes (size rounded up to the grain when it may be kept);
    // null when the runtime has none.
    static void* Allocate(std::size_t size);
    // A block whose size is not known goes back to the runtime.
    static void Free(void* block);
    // A block of the given size: kept by the calling thread when it qualifies and there
    // is room, else given back to the runtime.
    static void Free(void* block, std::size_t size);

    // What the calling thread keeps: bytes and blocks.
    static std::size_t KeptBytes();
    static uint32_t KeptBlocks();
    // The size an allocation of size bytes asks the runtime for.
    static std::size_t RoundedSize(std::size_t size);
};
