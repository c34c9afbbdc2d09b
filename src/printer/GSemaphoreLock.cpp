#include "printer/GSemaphoreLock.h"

#include <windows.h>

#include <climits>

// The semaphore starts empty: it carries the lock from a releasing thread to a waiting one.
GSemaphoreLock::GSemaphoreLock() : semaphore_(CreateSemaphoreW(nullptr, 0, LONG_MAX, nullptr)), state_(0) {}

GSemaphoreLock::~GSemaphoreLock()
{
    if (semaphore_)
        CloseHandle(semaphore_);
}

int32_t GSemaphoreLock::Release()
{
    if (!semaphore_)
        return -2;
    int32_t state = state_.load(std::memory_order_relaxed);
    do {
        // A lock that is not held cannot be released, as a semaphore at its maximum.
        if (state <= 0)
            return -2;
    } while (!state_.compare_exchange_weak(state, state - 1, std::memory_order_release, std::memory_order_relaxed));
    if (state > 1 && !ReleaseSemaphore(semaphore_, 1, nullptr))
        return -2;
    return 0;
}

int32_t GSemaphoreLock::Acquire()
{
    if (!semaphore_)
        return -1;
    if (state_.fetch_add(1, std::memory_order_acquire) == 0)
        return 0;
    if (WaitForSingleObject(semaphore_, INFINITE) == WAIT_OBJECT_0)
        return 0;
    state_.fetch_sub(1, std::memory_order_relaxed);
    return -1;
}

int32_t GSemaphoreLock::TryAcquire()
{
    int32_t free = 0;
    return semaphore_ && state_.compare_exchange_strong(free, 1, std::memory_order_acquire) ? 0 : -1;
}
