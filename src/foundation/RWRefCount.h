// Reference counts shared between threads: a count word changes only under the
// critical section its owner gives, one per string class.
#pragma once

#include "foundation/RWCriticalSection.h"

#include <cstdint>

// Counts kept as owners minus one: RemoveReference answers the value before the
// decrement, and 0 tells the caller that it held the last reference.
class RWRefCount {
public:
    static void AddReference(uint32_t& count, RWCriticalSection& lock);
    static uint32_t RemoveReference(uint32_t& count, RWCriticalSection& lock);
    static void AddReference(int32_t& count, RWCriticalSection& lock);
    static int32_t RemoveReference(int32_t& count, RWCriticalSection& lock);
};
