#include "printer/GSemaphoreLock.h"

#include <windows.h>

GSemaphoreLock::GSemaphoreLock() : semaphore_(CreateSemaphoreW(nullptr, 1, 1, nullptr)) {}

GSemaphoreLock::~GSemaphoreLock()
{
    if (semaphore_)
        CloseHandle(semaphore_);
}

int32_t GSemaphoreLock::Release() { return ReleaseSemaphore(semaphore_, 1, nullptr) ? 0 : -2; }
int32_t GSemaphoreLock::Acquire() { return WaitForSingleObject(semaphore_, INFINITE) == WAIT_FAILED ? -1 : 0; }
int32_t GSemaphoreLock::TryAcquire() { return WaitForSingleObject(semaphore_, 0) == WAIT_OBJECT_0 ? 0 : -1; }
