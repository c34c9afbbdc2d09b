#include "foundation/RWRefCount.h"

namespace {

template <class Count>
void Increment(Count& count, RWCriticalSection& lock)
{
    RWCriticalSectionGuard guard(lock);
    ++count;
}

template <class Count>
Count Decrement(Count& count, RWCriticalSection& lock)
{
    RWCriticalSectionGuard guard(lock);
    return count--;
}

} // namespace

void RWRefCount::AddReference(uint32_t& count, RWCriticalSection& lock) { Increment(count, lock); }
uint32_t RWRefCount::RemoveReference(uint32_t& count, RWCriticalSection& lock) { return Decrement(count, lock); }
void RWRefCount::AddReference(int32_t& count, RWCriticalSection& lock) { Increment(count, lock); }
int32_t RWRefCount::RemoveReference(int32_t& count, RWCriticalSection& lock) { return Decrement(count, lock); }
