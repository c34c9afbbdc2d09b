// Waits that give up: a test waiting on a thread, a process or an event that another
// party must signal fails with a message naming what never came, instead of hanging
// until the harness's time-out ends the whole suite without a word.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

// Far longer than any wait a passing test makes, even under a loaded machine.
const DWORD kWaitBound = 60000;

// Success once the handle is signalled within the bound.
inline testing::AssertionResult Signalled(HANDLE handle, const char* what, DWORD bound = kWaitBound)
{
    const DWORD waited = WaitForSingleObject(handle, bound);
    if (waited == WAIT_OBJECT_0)
        return testing::AssertionSuccess();
    if (waited == WAIT_TIMEOUT)
        return testing::AssertionFailure() << what << ": not within " << bound << " ms";
    return testing::AssertionFailure() << what << ": the wait failed, error " << GetLastError();
}
