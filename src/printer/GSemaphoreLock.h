// The lock the system services hand out: a semaphore of count 1. Any thread may release
// what another took; it is not re-entrant.
#pragma once

#include "model/GLock.h"

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
};
