#include "printer/GPlatformCalls.h"

#include <atomic>

namespace {

// Counted with no order between kinds: a total is read whole only between calls.
std::atomic<uint64_t> g_counts[GPlatformCalls::kKinds];

} // namespace

void GPlatformCalls::Count(Kind kind)
{
    if (kind >= 0 && kind < kKinds)
        g_counts[kind].fetch_add(1, std::memory_order_relaxed);
}

GPlatformCalls::Totals GPlatformCalls::Now()
{
    Totals totals = {};
    for (int kind = 0; kind < kKinds; ++kind)
        totals.count[kind] = g_counts[kind].load(std::memory_order_relaxed);
    return totals;
}

GPlatformCalls::Totals GPlatformCalls::Totals::Since(const Totals& earlier) const
{
    Totals difference = {};
    for (int kind = 0; kind < kKinds; ++kind)
        difference.count[kind] = count[kind] - earlier.count[kind];
    return difference;
}

GPlatformCalls::LockGuard::LockGuard(SRWLOCK& lock, bool shared) : lock_(lock), shared_(shared)
{
    if (shared_ ? TryAcquireSRWLockShared(&lock_) : TryAcquireSRWLockExclusive(&lock_))
        return;
    Count(kLockWait);
    if (shared_)
        AcquireSRWLockShared(&lock_);
    else
        AcquireSRWLockExclusive(&lock_);
}

GPlatformCalls::LockGuard::~LockGuard()
{
    if (shared_)
        ReleaseSRWLockShared(&lock_);
    else
        ReleaseSRWLockExclusive(&lock_);
}
