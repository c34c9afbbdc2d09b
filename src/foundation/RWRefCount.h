// Reference counts shared between threads: every change is one interlocked operation on
// the count word, so holders on different threads never wait for each other.
#pragma once

#include <atomic>

// Counts kept as owners minus one: RemoveReference answers the value before the
// decrement, and 0 tells the caller that it held the last reference.
class RWRefCount {
public:
    template <class Count>
    static void AddReference(std::atomic<Count>& count)
    {
        count.fetch_add(1, std::memory_order_relaxed);
    }

    // Acquire-release, so that the holder which frees the block sees every write the
    // other holders made before they let go.
    template <class Count>
    static Count RemoveReference(std::atomic<Count>& count)
    {
        return count.fetch_sub(1, std::memory_order_acq_rel);
    }
};
