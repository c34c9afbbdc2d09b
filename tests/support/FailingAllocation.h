// Runs a call on a thread of its own whose allocations fail once, at a chosen one, and
// waits for it a bounded time: a call whose failed allocation runs the out-of-memory
// handler while a lock the handler needs is held never returns. Needs a program that
// links AllocationWatch.cpp.
#pragma once

#include "AllocationWatch.h"

#include <windows.h>

#include <functional>

namespace FailingAllocation {

struct Run {
    long failAfter;
    std::function<void()> call;
};

inline DWORD WINAPI RunThread(void* parameter)
{
    auto* run = static_cast<Run*>(parameter);
    AllocationWatch::FailOnThisThread(run->failAfter);
    run->call();
    AllocationWatch::FailOnThisThread(-1);
    delete run;
    return 0;
}

// False when the call had not returned within the limit (the thread is left behind).
inline bool RunFailingOnce(long failAfter, std::function<void()> call, DWORD limitMs = 30000)
{
    auto* run = new Run{failAfter, std::move(call)};
    HANDLE thread = CreateThread(nullptr, 0, RunThread, run, 0, nullptr);
    if (!thread) {
        delete run;
        return false;
    }
    const DWORD waited = WaitForSingleObject(thread, limitMs);
    CloseHandle(thread);
    return waited == WAIT_OBJECT_0;
}

} // namespace FailingAllocation
