// The one lock of the records store. It serialises opening and closing stores and
// every operation that moves a store's file position. A thread may take it again while
// it holds it: a proxy record forwards a search into another store, whose operation
// takes the lock once more. The lock itself comes from the system services.
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
