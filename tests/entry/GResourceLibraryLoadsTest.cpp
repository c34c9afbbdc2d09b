// The resource libraries' table when memory runs out inside an acquire: the out-of-memory
// handler deletes spare driver objects, and a spare's release gives back its library
// load through the same table. The handler must never run while the table is held.
#include "entry/driverui/GResourceLibraryLoads.h"

#include "FailingAllocation.h"
#include "ModuleCopy.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <new>

namespace {

// What a spare's deletion does from the handler: gives back its library load.
std::atomic<HMODULE> g_spareLoad{nullptr};
std::atomic<int> g_handled{0};

void ReleaseSpareLoad()
{
    ++g_handled;
    GResourceLibraryLoads::Release(g_spareLoad.exchange(nullptr));
}

// A later last write time, so that the next acquire loads the library afresh.
bool Touch(const std::wstring& path, int step)
{
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME written = {};
    ULARGE_INTEGER when = {};
    when.QuadPart = 130000000000000000ull + uint64_t(step) * 10000000ull;
    written.dwLowDateTime = when.LowPart;
    written.dwHighDateTime = when.HighPart;
    const bool set = SetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return set;
}

} // namespace

// Each allocation of a first acquire fails in turn; the handler takes the table to give a
// spare's load back, and the acquire still loads its library. Waits are bounded: a
// handler run under the table's lock would never return.
TEST(GResourceLibraryLoads, OutOfMemoryInsideAnAcquireRunsTheHandlerOutsideTheTable)
{
    ModuleCopy library{L"qzres32.dll"};
    ModuleCopy spare{L"qzres32.dll"};
    ASSERT_TRUE(library.Ok() && spare.Ok());
    const std::wstring path = library.Path(L"qzres32.dll");
    const RWWString sparePath(spare.Path(L"qzres32.dll").c_str());
    const std::new_handler previous = std::set_new_handler(ReleaseSpareLoad);
    g_handled = 0;
    for (long failAfter = 0; failAfter < 8; ++failAfter) {
        g_spareLoad = GResourceLibraryLoads::Acquire(sparePath);
        ASSERT_NE(nullptr, g_spareLoad.load());
        ASSERT_TRUE(Touch(path, int(failAfter))) << failAfter;
        const RWWString name(path.c_str());
        HMODULE module = nullptr;
        ASSERT_TRUE(FailingAllocation::RunFailingOnce(failAfter, [&] { module = GResourceLibraryLoads::Acquire(name); }))
            << failAfter << ": the acquire never returned";
        EXPECT_NE(nullptr, module) << failAfter;
        GResourceLibraryLoads::Release(module);
        GResourceLibraryLoads::Release(g_spareLoad.exchange(nullptr));
    }
    std::set_new_handler(previous);
    EXPECT_GT(g_handled.load(), 0) << "no allocation of an acquire failed";
}
