// The lock the system services hand out: a semaphore of count 1. Any thread may release
// what another took; it is not re-entrant.
//
// The count lives in the process: a lock taken while nobody holds it, and released while
// nobody waits, never reaches the kernel (on Wine each kernel wait and release is a
// server round trip). Only a thread that finds the lock held waits on the kernel
// semaphore, which the holder's release signals once for each such waiter.
#pragma once

#include "model/GLock.h"

#include <atomic>

class GSemaphoreLock : public GLock {
public:
    GSemaphoreLock();
    GSemaphoreLock(const GSemaphoreLock&) = delete;
    GSemaphoreLock& operator=(const GSemaphoreLock&) = delete;
    ~GSemaphoreLock() override;

    // 0, or -2 when the lock was not held (nothing changes then).
    int32_t Release() override;
    // 0, or -1 when the waiting failed (no semaphore could be made).
    int32_t Acquire() override;
    // 0 when taken at once, else -1.
    int32_t TryAcquire() override;

private:
    void* semaphore_;
    // The holder plus the threads waiting for it: 0 when free.
    std::atomic<long> users_;
};
