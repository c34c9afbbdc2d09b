// The lock objects the system services make: a binary lock that any thread may release.
#pragma once

#include <cstdint>

class GLock {
public:
    virtual ~GLock() = default;
    // 0, or -2 when the lock could not be released.
    virtual int32_t Release() = 0;
    // Waits without a time limit: 0, or -1 when the wait failed.
    virtual int32_t Acquire() = 0;
    virtual void Notify(uint32_t) {}
    // Takes the lock only when it is free at once: 0, or -1 when it is busy or cannot
    // be tried. Paths that must never wait (out of memory) use it.
    virtual int32_t TryAcquire() { return -1; }
};
