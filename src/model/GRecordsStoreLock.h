// The one lock of the records store. It serialises opening and closing stores and
// every operation that moves a store's file position. A thread may take it again while
// it holds it: a proxy record forwards a search into another store, whose operation
// takes the lock once more.
//
// The lock itself comes from the system services, which install their hooks when the
// module loads; without them (a host that never made system services) a critical
// section stands in. Which of the two guards the store is decided at first use.
#pragma once

void GAcquireRecordsStoreLock();
void GReleaseRecordsStoreLock();

// Holds the records-store lock for one scope.
class GRecordsStoreGuard {
public:
    GRecordsStoreGuard() { GAcquireRecordsStoreLock(); }
    ~GRecordsStoreGuard() { GReleaseRecordsStoreLock(); }
    GRecordsStoreGuard(const GRecordsStoreGuard&) = delete;
    GRecordsStoreGuard& operator=(const GRecordsStoreGuard&) = delete;
};

// What the system services supply: Make answers whether a lock could be had; Acquire
// and Release then wait for it and give it back (neither need be re-entrant).
struct GRecordsStoreLockHooks {
    bool (*Make)();
    void (*Acquire)();
    void (*Release)();
};

// Installed once, before any store is used.
void GSetRecordsStoreLockHooks(const GRecordsStoreLockHooks* hooks);
