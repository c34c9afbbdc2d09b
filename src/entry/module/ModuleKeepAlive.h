// Keeps the module loaded while it is in use and lets it go when it is idle. Start takes
// an extra reference on the module's own file and starts a worker thread; the worker
// wakes once a period and gives the reference up (freeing the module from its own
// thread) when a whole period passed with no entry-point activity and no open document,
// or when the thread that started it has ended with no document open. A host that
// loaded the driver only for a moment therefore does not keep it for ever, and a host
// that frees it under a running call does not unload it.
#pragma once

#include "printer/GSemaphoreLock.h"

#include <windows.h>

#include <cstdint>

class ModuleKeepAlive {
public:
    // 0 means the standard period of 500 ms.
    explicit ModuleKeepAlive(uint32_t periodMs);
    ~ModuleKeepAlive();
    ModuleKeepAlive(const ModuleKeepAlive&) = delete;
    ModuleKeepAlive& operator=(const ModuleKeepAlive&) = delete;

    // 1 when a worker was started for the module (a reference on its file taken).
    int Start(HMODULE module);
    // Every entry point calls it: the module counts as busy for the next period. 0 when
    // the lock could not be taken.
    int MarkActivity();
    // Marks whether a document is open; opening one with no worker running starts a new
    // one, watching the calling thread. 0 when the lock could not be taken or a needed
    // worker could not start.
    int SetDocumentOpen(uint32_t open);

    // What tests observe: whether a worker runs and the period.
    bool WorkerRunning();
    uint32_t Period() const { return period_; }

    // The module's one instance, built before the loader's first call.
    static ModuleKeepAlive& Module();

private:
    // Lock held by the caller.
    int StartWorker();
    static DWORD WINAPI Worker(void* self);
    bool Lock();
    void Unlock();

    wchar_t path_[MAX_PATH];
    HMODULE selfReference_;
    // A count-1 semaphore whose uncontended use stays in the process: every entry point
    // takes it once.
    GSemaphoreLock lock_;
    int32_t activity_;
    uint32_t documentOpen_;
    HANDLE watchedThread_;
    DWORD workerId_;
    uint32_t period_;
};
