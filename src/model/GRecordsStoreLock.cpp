#include "model/GRecordsStoreLock.h"

#include "foundation/RWCriticalSection.h"
#include "foundation/RWThreadContext.h"

#include <atomic>
#include <cstdint>

namespace {

std::atomic<const GRecordsStoreLockHooks*> g_hooks{nullptr};
RWCriticalSection g_fallback;
RWCriticalSection g_choosing;
// The services' lock (1) or the critical section (2); 0 until the first use.
std::atomic<int> g_choice{0};
// How often the calling thread holds the lock.
const RWThreadSlot<void> t_depth;

int Choose()
{
    if (const int chosen = g_choice.load(std::memory_order_acquire))
        return chosen;
    RWCriticalSectionGuard guard(g_choosing);
    if (const int chosen = g_choice.load(std::memory_order_relaxed))
        return chosen;
    const GRecordsStoreLockHooks* hooks = g_hooks.load(std::memory_order_acquire);
    const int chosen = hooks && hooks->Make() ? 1 : 2;
    g_choice.store(chosen, std::memory_order_release);
    return chosen;
}

uintptr_t Depth() { return reinterpret_cast<uintptr_t>(t_depth.Get()); }
void SetDepth(uintptr_t depth) { t_depth.Set(reinterpret_cast<void*>(depth)); }

} // namespace

void GSetRecordsStoreLockHooks(const GRecordsStoreLockHooks* hooks) { g_hooks.store(hooks, std::memory_order_release); }

void GAcquireRecordsStoreLock()
{
    const uintptr_t depth = Depth();
    if (depth == 0) {
        if (Choose() == 1) {
            // After the services' hooks went away at unload only one thread runs.
            if (const GRecordsStoreLockHooks* hooks = g_hooks.load(std::memory_order_acquire))
                hooks->Acquire();
        } else
            g_fallback.Acquire();
    }
    SetDepth(depth + 1);
}

void GReleaseRecordsStoreLock()
{
    const uintptr_t depth = Depth();
    if (depth == 0)
        return;
    SetDepth(depth - 1);
    if (depth > 1)
        return;
    if (g_choice.load(std::memory_order_acquire) == 1) {
        if (const GRecordsStoreLockHooks* hooks = g_hooks.load(std::memory_order_acquire))
            hooks->Release();
    } else
        g_fallback.Release();
}
