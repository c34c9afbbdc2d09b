// The table of the handles the module's runtime makes, here in the test program's own
// process: an unload closes what the module's code and runtime left open, and never a
// handle that was closed already and may belong to someone else by now.
#include "entry/module/ModuleHandles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

bool Open(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE MadeEvent() { return ModuleHandles::CreateEventA(nullptr, TRUE, FALSE, nullptr); }

HANDLE MadeThreadCopy()
{
    HANDLE copy = nullptr;
    return ModuleHandles::DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &copy, 0,
                                          FALSE, DUPLICATE_SAME_ACCESS)
               ? copy
               : nullptr;
}

} // namespace

// The two the threads library keeps for each thread it has a record of.
TEST(ModuleHandles, CloseAllClosesWhatIsRecorded)
{
    const struct {
        const char* name;
        HANDLE (*make)();
    } makers[] = {{"event", MadeEvent}, {"copy of the thread's handle", MadeThreadCopy}};
    for (const auto& maker : makers) {
        const HANDLE handle = maker.make();
        ASSERT_NE(nullptr, handle) << maker.name;
        EXPECT_EQ(1u, ModuleHandles::Count()) << maker.name;
        ModuleHandles::CloseAll();
        EXPECT_EQ(0u, ModuleHandles::Count()) << maker.name;
        EXPECT_FALSE(Open(handle)) << maker.name;
    }
}

TEST(ModuleHandles, AHandleItsOwnerClosedIsNotClosedAgain)
{
    const HANDLE event = MadeEvent();
    ASSERT_NE(nullptr, event);
    ASSERT_TRUE(ModuleHandles::CloseHandle(event));
    EXPECT_EQ(0u, ModuleHandles::Count());
    // Another module is handed the same value.
    const HANDLE other = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_EQ(event, other);
    ModuleHandles::CloseAll();
    EXPECT_TRUE(Open(other));
    CloseHandle(other);
}

TEST(ModuleHandles, ADuplicateThatClosesItsSourceTakesItsPlace)
{
    const HANDLE event = MadeEvent();
    ASSERT_NE(nullptr, event);
    HANDLE moved = nullptr;
    ASSERT_TRUE(ModuleHandles::DuplicateHandle(GetCurrentProcess(), event, GetCurrentProcess(), &moved, 0, FALSE,
                                               DUPLICATE_SAME_ACCESS | DUPLICATE_CLOSE_SOURCE));
    EXPECT_EQ(1u, ModuleHandles::Count());
    ModuleHandles::CloseAll();
    EXPECT_FALSE(Open(moved));
}

// What the platform refuses is not recorded, and the caller sees the platform's error.
TEST(ModuleHandles, ARefusedCallRecordsNothing)
{
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, L"QzModuleHandlesTestName");
    ASSERT_NE(nullptr, mutex);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, ModuleHandles::CreateEventA(nullptr, TRUE, FALSE, "QzModuleHandlesTestName"));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    HANDLE copy = nullptr;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ModuleHandles::DuplicateHandle(GetCurrentProcess(), nullptr, GetCurrentProcess(), &copy, 0, FALSE,
                                                DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), GetLastError());
    EXPECT_EQ(0u, ModuleHandles::Count());
    CloseHandle(mutex);
}

TEST(ModuleHandles, AHandlePastAFullTableIsHandedOutUnrecorded)
{
    std::vector<HANDLE> events;
    for (uint32_t i = 0; i <= ModuleHandles::kCapacity; ++i)
        events.push_back(MadeEvent());
    EXPECT_EQ(ModuleHandles::kCapacity, ModuleHandles::Count());
    ModuleHandles::CloseAll();
    for (uint32_t i = 0; i < ModuleHandles::kCapacity; ++i)
        EXPECT_FALSE(Open(events[i])) << i;
    ASSERT_NE(nullptr, events.back());
    EXPECT_TRUE(Open(events.back()));
    CloseHandle(events.back());
}
