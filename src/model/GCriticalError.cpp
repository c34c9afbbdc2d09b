#include "model/GCriticalError.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<void (*)()> g_beginShutdown{nullptr};
std::atomic<int (*)()> g_freeMemory{nullptr};

// Long enough for a teardown that finds its locks free; a thread that holds one of
// them while it reports must not keep the process alive.
const DWORD kShutdownWaitMs = 5000;

DWORD WINAPI ShutdownThread(void* parameter)
{
    reinterpret_cast<void (*)()>(parameter)();
    return 0;
}

// Without the runtime: neither its locks nor its exit handlers can hold the end up.
[[noreturn]] void EndProcess()
{
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;)
        Sleep(INFINITE);
}

void WriteMessage(const RWCString& message)
{
    // Straight to the handle: the runtime's stream locks may be held by this thread.
    HANDLE output = GetStdHandle(STD_ERROR_HANDLE);
    if (output && output != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(output, message.Data(), static_cast<DWORD>(message.Length()), &written, nullptr);
        WriteFile(output, "\r\n", 2, &written, nullptr);
    }
    OutputDebugStringA(message.Data());
}

} // namespace

RWCString CriticalErrorMessage(int32_t severity, uint16_t errorId)
{
    char buffer[256];
    if (severity == 2)
        std::snprintf(buffer, sizeof buffer,
                      "There has been a critical error and the printer driver cannot continue.  Save your work, and "
                      "exit the current application.  (Error id = %u)",
                      static_cast<unsigned>(errorId));
    else
        std::snprintf(buffer, sizeof buffer, "Error id = %u  (No error string table, yet...)",
                      static_cast<unsigned>(errorId));
    return RWCString(buffer);
}

void SetDriverServerHooks(const GDriverServerHooks& hooks)
{
    g_beginShutdown = hooks.beginShutdown;
    g_freeMemory = hooks.freeMemory;
}

GDriverServerHooks GetDriverServerHooks() { return {g_beginShutdown.load(), g_freeMemory.load()}; }

void BeginDriverServerShutdown()
{
    void (*shutdown)() = g_beginShutdown.load();
    if (!shutdown)
        return;
    HANDLE thread = CreateThread(nullptr, 0, ShutdownThread, reinterpret_cast<void*>(shutdown), 0, nullptr);
    if (!thread)
        return;
    WaitForSingleObject(thread, kShutdownWaitMs);
    CloseHandle(thread);
}

void ReportCriticalError(int32_t severity, uint16_t errorId, RWCString source, int32_t line, RWCString text)
{
    if (severity != 1 && severity != 2)
        return;
    WriteMessage(CriticalErrorMessage(severity, errorId));
    if (severity == 2)
        BeginDriverServerShutdown();
    EndProcess();
}
