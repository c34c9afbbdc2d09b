// The module loaded, asked once and let go, again and again, as a long-running
// application does: once it is unmapped, nothing it made stays in the process, neither a
// heap nor a block.
#include "ChildProcess.h"
#include "TestPrinter.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

typedef DWORD(WINAPI* DeviceCapabilitiesFn)(HANDLE, LPWSTR, WORD, PVOID, PDEVMODEW);

// What the module may leave in the runtime's heap over a few cycles: well below what one
// driver object, one services object or one set of tables would hold.
const size_t kBusyBytesSlack = 16 * 1024;

struct HeapUse {
    DWORD heaps = 0;
    size_t busyBytes = 0;
};

HeapUse MeasureHeaps()
{
    HeapUse use;
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    use.heaps = GetProcessHeaps(DWORD(heaps.size()), heaps.data());
    for (DWORD i = 0; i < use.heaps && i < heaps.size(); ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry = {};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                use.busyBytes += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return use;
}

// The module is unmapped once the keep-alive let its own reference go, a period after
// the last call.
bool WaitUntilUnmapped(const std::wstring& module)
{
    for (int i = 0; i < 100 && GetModuleHandleW(module.c_str()); ++i)
        Sleep(100);
    return GetModuleHandleW(module.c_str()) == nullptr;
}

// One load, one capability query, one release: false when a step failed.
bool OneCycle(const std::wstring& module, std::wstring printer)
{
    HMODULE loaded = LoadLibraryW(module.c_str());
    if (!loaded)
        return false;
    auto capabilities =
        reinterpret_cast<DeviceCapabilitiesFn>(reinterpret_cast<void*>(GetProcAddress(loaded, "DrvDeviceCapabilities")));
    const DWORD papers = capabilities ? capabilities(nullptr, &printer[0], DC_PAPERS, nullptr, nullptr) : DWORD(-1);
    FreeLibrary(loaded);
    return papers != DWORD(-1) && papers > 0 && WaitUntilUnmapped(module);
}

} // namespace

TEST(ModuleUnloadChild, DISABLED_CyclesLeaveNoHeapAndNoBlock)
{
    TestPrinter& printer = TestPrinter::Shared();
    ASSERT_TRUE(printer.Installed()) << printer.Failure();
    const std::wstring module = printer.ConfigFile();
    ASSERT_TRUE(WaitUntilUnmapped(module)) << "the spooler's own load of the module goes first";
    // The first cycles may leave what the runtime and the platform make once per process.
    for (int cycle = 0; cycle < 2; ++cycle)
        ASSERT_TRUE(OneCycle(module, printer.Name())) << cycle;
    const HeapUse before = MeasureHeaps();
    for (int cycle = 0; cycle < 3; ++cycle)
        ASSERT_TRUE(OneCycle(module, printer.Name())) << cycle;
    const HeapUse after = MeasureHeaps();
    EXPECT_EQ(before.heaps, after.heaps);
    EXPECT_LE(after.busyBytes, before.busyBytes + kBusyBytesSlack)
        << before.busyBytes << " bytes in use before the cycles, " << after.busyBytes << " after";
}

TEST(ModuleUnload, LoadedAskedAndLetGoLeavesNothingBehind)
{
    const ChildResult child = RunChildTest("ModuleUnloadChild.DISABLED_CyclesLeaveNoHeapAndNoBlock");
    EXPECT_EQ(0u, child.exitCode) << child.output;
}
