#include "foundation/RWRefCount.h"

RWStringLock::~RWStringLock()
{
    if (InterlockedCompareExchange(&state_, kNotCreated, kReady) == kReady)
        DeleteCriticalSection(&section_);
}

bool RWStringLock::IsCreated() const { return InterlockedCompareExchange(&state_, kReady, kReady) == kReady; }

void RWStringLock::EnsureCreated()
{
    if (IsCreated())
        return;
    if (InterlockedCompareExchange(&state_, kCreating, kNotCreated) == kNotCreated) {
        InitializeCriticalSection(&section_);
        InterlockedExchange(&state_, kReady);
        return;
    }
    // Another thread is creating it right now.
    while (!IsCreated())
        Sleep(0);
}

void RWStringLock::Acquire()
{
    EnsureCreated();
    EnterCriticalSection(&section_);
}

void RWStringLock::Release() { LeaveCriticalSection(&section_); }

namespace {

template <class Count>
void Increment(Count& count, RWStringLock& lock)
{
    RWStringLockGuard guard(lock);
    ++count;
}

template <class Count>
Count Decrement(Count& count, RWStringLock& lock)
{
    RWStringLockGuard guard(lock);
    return count--;
}

} // namespace

void RWRefCount::AddReference(uint32_t& count, RWStringLock& lock) { Increment(count, lock); }
uint32_t RWRefCount::RemoveReference(uint32_t& count, RWStringLock& lock) { return Decrement(count, lock); }
void RWRefCount::AddReference(int32_t& count, RWStringLock& lock) { Increment(count, lock); }
int32_t RWRefCount::RemoveReference(int32_t& count, RWStringLock& lock) { return Decrement(count, lock); }
