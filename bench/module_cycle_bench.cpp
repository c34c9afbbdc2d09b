// A long-running host that loads the module, asks for the paper list and frees the module
// again, cycle after cycle, in one process: whether the process is still running at the
// end, and the process's next free thread-local slot after the first and after the last
// cycle (equal when no cycle leaves a slot taken).
//
//   module_cycle_bench.exe [cycles] [module]      (built beside the tests: build/tests/)
//
// cycles defaults to 1,200; module to the qzui32.dll beside the program, loaded from a
// private copy. Each cycle runs on a thread of its own: when that thread ends, the
// module's keep-alive lets it go at once rather than a period after the last call.
#include "TestPrinter.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

typedef DWORD(WINAPI* DeviceCapabilitiesFn)(HANDLE, LPWSTR, WORD, PVOID, PDEVMODEW);

DWORD NextFreeSlot()
{
    const DWORD slot = TlsAlloc();
    if (slot != TLS_OUT_OF_INDEXES)
        TlsFree(slot);
    return slot;
}

bool Unmapped(const std::wstring& path)
{
    for (DWORD waited = 0; GetModuleHandleW(path.c_str()); waited += 10) {
        if (waited >= 10000)
            return false;
        Sleep(10);
    }
    return true;
}

bool OneCycle(const std::wstring& module, const std::wstring& printer)
{
    bool answered = false;
    std::thread([&] {
        HMODULE loaded = LoadLibraryW(module.c_str());
        if (!loaded)
            return;
        auto capabilities = reinterpret_cast<DeviceCapabilitiesFn>(
            reinterpret_cast<void*>(GetProcAddress(loaded, "DrvDeviceCapabilities")));
        std::wstring name = printer;
        const DWORD papers = capabilities ? capabilities(nullptr, &name[0], DC_PAPERS, nullptr, nullptr) : DWORD(-1);
        FreeLibrary(loaded);
        answered = papers != DWORD(-1) && papers > 0;
    }).join();
    return answered && Unmapped(module);
}

} // namespace

int main(int argc, char** argv)
{
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 1200;
    if (cycles < 1)
        return 2;
    TestPrinter printer;
    if (!printer.Installed()) {
        std::fprintf(stderr, "error: %s\n", printer.Failure().c_str());
        return 2;
    }
    // A private copy: the spooler keeps the driver folder's module loaded.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"qzcycle-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring module = folder + L"\\qzui32.dll";
    std::wstring source = TestPrinter::ProgramFolder() + L"\\qzui32.dll";
    if (argc > 2) {
        const std::string given = argv[2];
        source.assign(given.begin(), given.end());
    }
    if (!CopyFileW(source.c_str(), module.c_str(), FALSE)) {
        std::fprintf(stderr, "error: the module could not be copied\n");
        return 2;
    }

    const DWORD before = NextFreeSlot();
    DWORD afterFirst = 0;
    int done = 0;
    const DWORD start = GetTickCount();
    for (; done < cycles; ++done) {
        if (!OneCycle(module, printer.Name()))
            break;
        if (done == 0)
            afterFirst = NextFreeSlot();
        // Progress as it goes: a process that runs out of slots ends without a summary.
        if ((done + 1) % 100 == 0) {
            std::printf("after cycle %5d              next free slot %lu\n", done + 1, NextFreeSlot());
            std::fflush(stdout);
        }
    }
    const DWORD afterLast = NextFreeSlot();
    const double seconds = (GetTickCount() - start) / 1000.0;

    std::printf("cycles run                    %d of %d (%s)\n", done, cycles,
                done == cycles ? "still running" : "a cycle failed");
    std::printf("next free slot before         %lu\n", before);
    std::printf("next free slot after first    %lu\n", afterFirst);
    std::printf("next free slot after last     %lu\n", afterLast);
    std::printf("slots left taken per cycle    %.3f\n", done > 1 ? double(afterLast - afterFirst) / (done - 1) : 0.0);
    std::printf("seconds                       %.1f\n", seconds);
    DeleteFileW(module.c_str());
    RemoveDirectoryW(folder.c_str());
    return done == cycles && afterLast == afterFirst ? 0 : 1;
}
