// Reference counts shared between threads. A count word changes only under a lock;
// the lock is a critical section created the first time it is taken, so locks can
// live in static storage and be used before any constructor of the module has run.
#pragma once

#include <windows.h>

#include <cstdint>

class RWStringLock {
public:
    // Constant-initialised: nothing runs before first use.
    constexpr RWStringLock() : section_(), state_(kNotCreated) {}
    // Deletes the critical section when it was created. A use after that (a static
    // string released later during unload) creates it again instead of touching a
    // deleted section.
    ~RWStringLock();
    RWStringLock(const RWStringLock&) = delete;
    RWStringLock& operator=(const RWStringLock&) = delete;

    void Acquire();
    void Release();
    bool IsCreated() const;

private:
    enum : LONG { kNotCreated = 0, kCreating = 1, kReady = 2 };

    void EnsureCreated();

    CRITICAL_SECTION section_;
    // kNotCreated, kCreating or kReady; changed only with interlocked operations, so
    // two threads racing to the first use create the section exactly once.
    mutable LONG state_;
};

// Holds a lock for one scope.
class RWStringLockGuard {
public:
    explicit RWStringLockGuard(RWStringLock& lock) : lock_(lock) { lock_.Acquire(); }
    ~RWStringLockGuard() { lock_.Release(); }
    RWStringLockGuard(const RWStringLockGuard&) = delete;
    RWStringLockGuard& operator=(const RWStringLockGuard&) = delete;

private:
    RWStringLock& lock_;
};

// Counts kept as owners minus one: RemoveReference answers the value before the
// decrement, and 0 tells the caller that it held the last reference.
class RWRefCount {
public:
    static void AddReference(uint32_t& count, RWStringLock& lock);
    static uint32_t RemoveReference(uint32_t& count, RWStringLock& lock);
    static void AddReference(int32_t& count, RWStringLock& lock);
    static int32_t RemoveReference(int32_t& count, RWStringLock& lock);
};
