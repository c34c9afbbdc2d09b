#include "printer/GSemaphoreLock.h"

#include "printer/GPlatformCalls.h"

#include <windows.h>

// The kernel semaphore starts empty: each release that finds a waiter posts one count.
GSemaphoreLock::GSemaphoreLock() : semaphore_(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr)), users_(0) {}

GSemaphoreLock::~GSemaphoreLock()
{
    if (semaphore_)
        CloseHandle(semaphore_);
}

int32_t GSemaphoreLock::Release()
{
    long users = users_.load();
    do {
        if (users <= 0)
            return -2;
    } while (!users_.compare_exchange_weak(users, users - 1));
    if (users > 1 && !ReleaseSemaphore(semaphore_, 1, nullptr))
        return -2;
    return 0;
}

int32_t GSemaphoreLock::Acquire()
{
    if (!semaphore_)
        return -1;
    if (users_.fetch_add(1) == 0)
        return 0;
    GPlatformCalls::Count(GPlatformCalls::kLockWait);
    if (WaitForSingleObject(semaphore_, INFINITE) == WAIT_OBJECT_0)
        return 0;
    // Given up: no longer counted as a waiter.
    users_.fetch_sub(1);
    return -1;
}

int32_t GSemaphoreLock::TryAcquire()
{
    long expected = 0;
    return semaphore_ && users_.compare_exchange_strong(expected, 1) ? 0 : -1;
}
