// How the driver dies: the one reporter of conditions it cannot survive, and the link
// to the driver server that must be torn down first.
#pragma once

#include "foundation/RWCString.h"

#include <cstdint>

// Severity 1 ends the process at once; severity 2 tears the driver server down (waiting
// a bounded time, since the failing thread may hold the server's locks) and then ends
// it; any other severity returns. The message is written to the error output and the
// debugger. The process ends with exit status 3, as the runtime's abort does.
void ReportCriticalError(int32_t severity, uint16_t errorId, RWCString source, int32_t line, RWCString text);

// The message the reporter composes for a severity and id.
RWCString CriticalErrorMessage(int32_t severity, uint16_t errorId);

// The driver server's part, set by the server once it exists: shutdown begins the
// teardown (kept driver objects deleted); freeMemory frees what it can and answers
// non-zero when something was freed. Null hooks: there is no server, its steps are
// skipped.
struct GDriverServerHooks {
    void (*beginShutdown)();
    int (*freeMemory)();
};
void SetDriverServerHooks(const GDriverServerHooks& hooks);
GDriverServerHooks GetDriverServerHooks();

// Runs the server's teardown, waiting for it at most a bounded time.
void BeginDriverServerShutdown();
