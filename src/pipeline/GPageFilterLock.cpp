#include "pipeline/GPageFilterLock.h"

#include "foundation/RWCriticalSection.h"

#include <atomic>

namespace {

RWCriticalSection g_lock;
// How deep the holding thread has taken the lock; changed only by that thread.
std::atomic<int> g_depth{0};

} // namespace

void GPageFilterLock::Acquire()
{
    g_lock.Acquire();
    ++g_depth;
}

void GPageFilterLock::Release()
{
    --g_depth;
    g_lock.Release();
}

bool GPageFilterLock::IsHeld() { return g_depth.load() > 0; }
