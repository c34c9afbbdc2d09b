#include "FuzzHarness.h"

#include "AllocationWatch.h"
#include "FuzzMutation.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWForeignRead.h"
#include "model/GCriticalError.h"
#include "printer/GNewHandler.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID);

namespace {

// The case running now. The name lives in a fixed buffer, so that the reporters, which
// run on a failing or a watching thread, read it without taking any lock.
char g_caseName[256];
std::atomic<bool> g_inCase{false};
std::atomic<DWORD> g_caseStart{0};
DWORD g_caseLimitMs = 20000;

HANDLE g_watchdog = nullptr;
HANDLE g_stopWatchdog = nullptr;
RWErrorHandler g_previousHandler = nullptr;
GDriverServerHooks g_serverHooks = {nullptr, nullptr};
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
bool g_attached = false;

// Libraries loaded or unloaded so far, counted by the loader's notification where the
// system has it (no cost per case); else each case compares module snapshots.
std::atomic<uint32_t> g_moduleEvents{0};
bool g_notified = false;
void* g_notificationCookie = nullptr;

typedef VOID(CALLBACK* DllNotification)(ULONG reason, const void* data, PVOID context);
typedef LONG(NTAPI* RegisterDllNotification)(ULONG flags, DllNotification callback, PVOID context, PVOID* cookie);
typedef LONG(NTAPI* UnregisterDllNotification)(PVOID cookie);

VOID CALLBACK CountModuleEvent(ULONG, const void*, PVOID) { ++g_moduleEvents; }

void WatchModules()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto reg = reinterpret_cast<RegisterDllNotification>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrRegisterDllNotification")));
    g_notified = reg && reg(0, &CountModuleEvent, nullptr, &g_notificationCookie) == 0;
}

void UnwatchModules()
{
    if (!g_notified)
        return;
    auto unreg = reinterpret_cast<UnregisterDllNotification>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "LdrUnregisterDllNotification")));
    if (unreg)
        unreg(g_notificationCookie);
    g_notified = false;
}

// Straight to the handles: the failing thread may hold the runtime's stream locks.
void Write(const char* text)
{
    DWORD written = 0;
    for (DWORD which : {STD_ERROR_HANDLE, STD_OUTPUT_HANDLE}) {
        HANDLE handle = GetStdHandle(which);
        if (handle && handle != INVALID_HANDLE_VALUE)
            WriteFile(handle, text, DWORD(std::strlen(text)), &written, nullptr);
    }
}

void WriteCase(const char* what)
{
    char line[512];
    std::snprintf(line, sizeof line, "\nFUZZ FAILURE in %s: %s\n", g_inCase ? g_caseName : "(between cases)", what);
    Write(line);
}

[[noreturn]] void EndRun(const char* what)
{
    WriteCase(what);
    TerminateProcess(GetCurrentProcess(), 70);
    for (;;)
        Sleep(INFINITE);
}

DWORD WINAPI Watch(void*)
{
    while (WaitForSingleObject(g_stopWatchdog, 100) == WAIT_TIMEOUT) {
        if (!g_inCase)
            continue;
        const DWORD spent = GetTickCount() - g_caseStart.load();
        if (spent > g_caseLimitMs) {
            char what[128];
            std::snprintf(what, sizeof what, "no answer after %lu ms (a hang)", static_cast<unsigned long>(spent));
            EndRun(what);
        }
    }
    return 0;
}

// An error that reaches the process-wide handler in a case was raised outside any
// capture: the shipped default would show a box and end the host.
void CaseErrorHandler(const RWException* error)
{
    if (!g_inCase) {
        if (g_previousHandler)
            g_previousHandler(error);
        return;
    }
    char what[400];
    std::snprintf(what, sizeof what, "an error reached the process's handler: %s",
                  error && error->Why() ? error->Why() : "(no text)");
    EndRun(what);
}

// The module's critical-error path (an allocation its new handler could not satisfy,
// among others) tears the server down through this hook before it ends the process.
void CaseShutdown()
{
    WriteCase("the module is ending the process (critical error)");
    if (g_serverHooks.beginShutdown)
        g_serverHooks.beginShutdown();
}

LONG WINAPI CaseException(EXCEPTION_POINTERS* info)
{
    char what[128];
    std::snprintf(what, sizeof what, "exception 0x%08lx at %p",
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                  info->ExceptionRecord->ExceptionAddress);
    EndRun(what);
}

void AtExit()
{
    if (g_inCase)
        WriteCase("the process is exiting");
}

} // namespace

FuzzSettings ReadFuzzSettings(uint32_t ciCases)
{
    FuzzSettings settings;
    settings.seed = Setting("QZ_FUZZ_SEED", 1);
    settings.cases = Setting("QZ_FUZZ_CASES", ciCases);
    settings.first = Setting("QZ_FUZZ_FIRST", 0);
    settings.caseMs = Setting("QZ_FUZZ_CASE_MS", 20000);
    settings.verbose = Setting("QZ_FUZZ_VERBOSE", 0) != 0;
    const char* only = std::getenv("QZ_FUZZ_TARGET");
    settings.only = only ? only : "";
    return settings;
}

void AttachFuzzModule()
{
    if (g_attached)
        return;
    g_attached = true;
    DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr);
    ASSERT_EQ(&OutOfMemoryHandler, std::get_new_handler()) << "the module's own new handler";
    g_serverHooks = GetDriverServerHooks();
    SetDriverServerHooks({&CaseShutdown, g_serverHooks.freeMemory});
    g_previousHandler = RWSetErrorHandler(&CaseErrorHandler);
    g_previousFilter = SetUnhandledExceptionFilter(&CaseException);
    static bool exitHandler = std::atexit(&AtExit) == 0;
    (void)exitHandler;
    WatchModules();
    g_stopWatchdog = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_watchdog = CreateThread(nullptr, 0, &Watch, nullptr, 0, nullptr);
}

void DetachFuzzModule()
{
    if (!g_attached)
        return;
    g_attached = false;
    SetEvent(g_stopWatchdog);
    WaitForSingleObject(g_watchdog, INFINITE);
    CloseHandle(g_watchdog);
    CloseHandle(g_stopWatchdog);
    UnwatchModules();
    SetUnhandledExceptionFilter(g_previousFilter);
    RWSetErrorHandler(g_previousHandler);
    SetDriverServerHooks(g_serverHooks);
    DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, nullptr);
}

bool FuzzSeesModuleEvents() { return g_notified; }

std::vector<uintptr_t> LoadedModules()
{
    std::vector<uintptr_t> bases;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return bases;
    MODULEENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry))
        bases.push_back(reinterpret_cast<uintptr_t>(entry.modBaseAddr));
    CloseHandle(snapshot);
    std::sort(bases.begin(), bases.end());
    return bases;
}

FuzzCase::FuzzCase(const char* target, uint32_t seed, uint32_t index, bool foreignRead)
    : foreignRead_(foreignRead), finished_(false), liveBefore_(0), readsBefore_(0), moduleEventsBefore_(0)
{
    char name[sizeof g_caseName];
    std::snprintf(name, sizeof name, "target %s seed %u case %u", target, unsigned(seed), unsigned(index));
    name_ = name;
    moduleEventsBefore_ = g_moduleEvents;
    if (!g_notified)
        modulesBefore_ = LoadedModules();
    std::memcpy(g_caseName, name, sizeof name);
    g_caseLimitMs = ReadFuzzSettings(0).caseMs;
    AllocationWatch::ResetLargest();
    readsBefore_ = RWForeignRead::Count();
    liveBefore_ = AllocationWatch::Live();
    g_caseStart = GetTickCount();
    g_inCase = true;
}

FuzzCase::~FuzzCase()
{
    if (!finished_)
        Finish();
}

bool FuzzCase::Finish(bool firstRun)
{
    finished_ = true;
    g_inCase = false;
    const long live = AllocationWatch::Live();
    const size_t largest = AllocationWatch::Largest();
    if (!firstRun) {
        EXPECT_EQ(liveBefore_, live) << name_ << ": blocks left allocated after the case";
    }
    EXPECT_LE(largest, kFuzzLargestRequest) << name_ << ": a request sized by the data";
    if (foreignRead_) {
        EXPECT_NE(readsBefore_, RWForeignRead::Count()) << name_ << ": the read did not run under the foreign-byte capture";
    }
    if (g_notified)
        EXPECT_EQ(moduleEventsBefore_, g_moduleEvents.load()) << name_ << ": a library was loaded or unloaded";
    else
        EXPECT_EQ(modulesBefore_, LoadedModules()) << name_ << ": a library was loaded or unloaded";
    return live != liveBefore_;
}

std::string MutateBytes(std::string bytes, std::mt19937& random, size_t from, size_t to)
{
    auto at = [&](size_t n) { return n ? random() % n : 0; };
    for (uint32_t steps = 1 + random() % 3; steps--;) {
        const size_t end = std::min(to, bytes.size());
        if (end <= from)
            break;
        const size_t i = from + at(end - from);
        switch (random() % 8) {
        case 0: bytes[i] = char(bytes[i] ^ (1 << random() % 8)); break;
        case 1: bytes[i] = 0; break;
        case 2: bytes[i] = char(0xFF); break;
        case 3: bytes.resize(i); break;
        case 4: // a count or length made huge, in binary and in text
            bytes.replace(i, 4, random() % 2 ? std::string(4, char(0xFF)) : std::string("4294967295"));
            break;
        case 5: bytes.insert(i, std::string(1 + at(8), char(random()))); break;
        case 6: bytes[i] = char(random()); break;
        default: bytes.erase(i, 1 + at(16)); break;
        }
    }
    return bytes;
}
