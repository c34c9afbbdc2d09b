// A Win32 critical section that can live in static storage: it is created the first
// time it is taken, so it can be used before any constructor of the module has run,
// and deleted when its owner goes away.
#pragma once

#include <windows.h>

class RWCriticalSection {
public:
    // Constant-initialised: nothing runs before first use.
    constexpr RWCriticalSection() : section_(), state_(kNotCreated) {}
    // Deletes the critical section when it was created. A use after that (a static
    // string released later during unload) creates it again instead of touching a
    // deleted section.
    ~RWCriticalSection();
    RWCriticalSection(const RWCriticalSection&) = delete;
    RWCriticalSection& operator=(const RWCriticalSection&) = delete;

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

// Holds a critical section for one scope.
class RWCriticalSectionGuard {
public:
    explicit RWCriticalSectionGuard(RWCriticalSection& lock) : lock_(lock) { lock_.Acquire(); }
    ~RWCriticalSectionGuard() { lock_.Release(); }
    RWCriticalSectionGuard(const RWCriticalSectionGuard&) = delete;
    RWCriticalSectionGuard& operator=(const RWCriticalSectionGuard&) = delete;

private:
    RWCriticalSection& lock_;
};
