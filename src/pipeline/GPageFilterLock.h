// The one lock of the page-spooling filters, process-wide and created on first use.
// It guards what the filters share between the pages of all jobs, among them the
// producer's font database while a page reloads its fonts. A thread may take it again
// while it holds it.
#pragma once

class GPageFilterLock {
public:
    static void Acquire();
    static void Release();
    // True while some thread holds the lock.
    static bool IsHeld();
};

// Holds the page filters' lock for one scope.
class GPageFilterGuard {
public:
    GPageFilterGuard() { GPageFilterLock::Acquire(); }
    ~GPageFilterGuard() { GPageFilterLock::Release(); }
    GPageFilterGuard(const GPageFilterGuard&) = delete;
    GPageFilterGuard& operator=(const GPageFilterGuard&) = delete;
};
