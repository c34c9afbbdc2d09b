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

void RWRefCount::AddReference(uint32_t& count, RWStringLock& lock)
{
    RWStringLockGuard guard(lock);
    ++count;
}

uint32_t RWRefCount::RemoveReference(uint32_t& count, RWStringLock& lock)
{
    RWStringLockGuard guard(lock);
    return count--;
}

void RWRefCount::AddReference(int32_t& count, RWStringLock& lock)
{
    RWStringLockGuard guard(lock);
    ++count;
}

int32_t RWRefCount::RemoveReference(int32_t& count, RWStringLock& lock)
{
    RWStringLockGuard guard(lock);
    return count--;
}
