// The records store's lock: one lock made by the system services, taken once per
// thread however deeply store operations nest. Without system services (early in
// loading, or in a host that never made them) a critical section stands in; which of
// the two guards the store is decided at first use and kept.
#include "model/GRecordsStoreLock.h"

#include "foundation/RWCriticalSection.h"
#include "foundation/RWThreadContext.h"
#include "printer/GCriticalError.h"
#include "printer/GLock.h"
#include "printer/GOSFactory.h"

#include <atomic>
#include <cstdint>

namespace {

GLock* g_lock = nullptr;
RWCriticalSection g_fallback;
// 1 once the services' lock is chosen, 2 once the critical section is.
std::atomic<int> g_choice{0};
RWCriticalSection g_choosing;
// How often the calling thread holds the lock.
const RWThreadSlot<void> t_depth;

struct LockOwner {
    ~LockOwner()
    {
        delete g_lock;
        g_lock = nullptr;
    }
} g_owner;

int Choose()
{
    if (const int chosen = g_choice.load(std::memory_order_acquire))
        return chosen;
    RWCriticalSectionGuard guard(g_choosing);
    if (const int chosen = g_choice.load(std::memory_order_relaxed))
        return chosen;
    if (GOSFactory* services = GOSFactory::Instance())
        services->EnsureLock(&g_lock);
    const int chosen = g_lock ? 1 : 2;
    g_choice.store(chosen, std::memory_order_release);
    return chosen;
}

uintptr_t Depth() { return reinterpret_cast<uintptr_t>(t_depth.Get()); }
void SetDepth(uintptr_t depth) { t_depth.Set(reinterpret_cast<void*>(depth)); }

} // namespace

void GAcquireRecordsStoreLock()
{
    const uintptr_t depth = Depth();
    if (depth == 0) {
        if (Choose() == 1) {
            if (g_lock->Acquire() != 0)
                ReportCriticalError(2, 301, "diskrecs", 61, "");
        } else {
            g_fallback.Acquire();
        }
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
        if (g_lock->Release() == -2)
            ReportCriticalError(2, 302, "diskrecs", 79, "");
    } else {
        g_fallback.Release();
    }
}
