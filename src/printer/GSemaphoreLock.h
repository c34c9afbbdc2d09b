// The lock the system services hand out: a binary lock over a semaphore. Any thread may
// release what another took; it is not re-entrant.
//
// Taking a free lock and releasing one that nobody waits for only change a count in
// this process: the semaphore, a kernel object whose every wait and release is a call to
// the system, is waited on only when the lock is busy, and released only when someone
// waits. The records store takes this lock for every record it writes or reads.
#pragma once

#include "model/GLock.h"

#include <atomic>
#include <cstdint>

class GSemaphoreLock : public GLock {
public:
    GSemaphoreLock();
    GSemaphoreLock(const GSemaphoreLock&) = delete;
    GSemaphoreLock& operator=(const GSemaphoreLock&) = delete;
    ~GSemaphoreLock() override;

    int32_t Release() override;
    int32_t Acquire() override;
    int32_t TryAcquire() override;

private:
    void* semaphore_;
    // 0 free; 1 held; each further one a thread waiting (or about to) for the semaphore.
    std::atomic<int32_t> state_;
};
