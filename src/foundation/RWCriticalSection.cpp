#include "foundation/RWCriticalSection.h"

RWCriticalSection::~RWCriticalSection()
{
    if (InterlockedCompareExchange(&state_, kNotCreated, kReady) == kReady)
        DeleteCriticalSection(&section_);
}

bool RWCriticalSection::IsCreated() const { return InterlockedCompareExchange(&state_, kReady, kReady) == kReady; }

void RWCriticalSection::EnsureCreated()
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

void RWCriticalSection::Acquire()
{
    EnsureCreated();
    EnterCriticalSection(&section_);
}

void RWCriticalSection::Release() { LeaveCriticalSection(&section_); }
