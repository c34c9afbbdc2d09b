#include "ModuleAtDriveRoot.h"
#include "TestOSFactory.h"
#include "TestPrinter.h"
#include "printer/GPrinterLibrary.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> calls;
uint32_t answer = 0;

} // namespace

// Called by the mini-installer stand-in for each of its entry points.
extern "C" __declspec(dllexport) uint32_t __cdecl QzTestMiniInstallerCall(const char* entry, uint32_t handle,
                                                                          const wchar_t* name, uint32_t flag)
{
    calls.push_back(std::wstring(entry, entry + std::strlen(entry)) + L" " + std::to_wstring(handle) + L" " +
                    (name ? name : L"-") + L" " + std::to_wstring(flag));
    return answer;
}

namespace {

const std::wstring kKey = L"System\\CurrentControlSet\\Control\\Print\\Printers\\,,srv,p";
const std::wstring kRequest = kKey + L"\\PrinterDriverData\\QzrdbUpdateRequest";

// Registry keys of the test's choosing; the module folder is the test program's.
struct LibraryServices : TestOSFactory {
    int MachineKeyExists(const RWWString& key) override { return keys.count(key.Data()) ? 1 : 0; }
    void GetModuleDirectory(RWWString& path) override
    {
        wchar_t file[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, file, MAX_PATH);
        const std::wstring text(file);
        path = RWWString(text.substr(0, text.rfind(L'\\')).c_str());
    }
    std::set<std::wstring> keys{kKey};
};

bool Loaded() { return GetModuleHandleW(L"QZSKORN.DLL") != nullptr; }

TEST(MiniInstaller, UndecidedLoadsOnceThenOnlyWhileRequestedAndStartResultsDecide)
{
    LibraryServices& services = *new LibraryServices; // the services instance owns it
    const struct { const wchar_t* stored; uint32_t answer; uint32_t state; const wchar_t* after; } rows[] = {
        {nullptr, 0, 1, L"0"}, {L"0", 0, 0, L"0"}, {L"1", 1, 1, L"1"}, {L"1", 2, 0, L"1"}, {L"7", 0, 0, L"7"}};
    for (const auto& row : rows) {
        services.registry.erase(kRequest);
        if (row.stored)
            services.registry[kRequest] = row.stored;
        calls.clear(), answer = row.answer;
        {
            GMiniInstaller installer(L"\\\\srv\\p", 0x1234);
            EXPECT_EQ(row.state, installer.GetState()) << row.answer;
            EXPECT_EQ(bool(row.state), Loaded());
            EXPECT_EQ(row.after, services.registry[kRequest]);
        }
        EXPECT_FALSE(Loaded());
        std::vector<std::wstring> expected;
        if (row.state || row.answer == 2)
            expected.push_back(L"InitializeMiniInstaller 4660 - 1");
        if (row.state)
            expected.push_back(L"KillMiniInstaller 4660 - 1");
        EXPECT_EQ(expected, calls) << row.answer;
    }
}

// Without the module's folder the installer's name would be one at the root of the
// current drive: nothing loads, even with an installer there.
TEST(MiniInstaller, AnEmptyModuleFolderLoadsNothing)
{
    struct NoModuleFolder : LibraryServices {
        void GetModuleDirectory(RWWString& path) override { path = RWWString(); }
    };
    NoModuleFolder& services = *new NoModuleFolder; // the services instance owns it
    services.registry[kRequest] = L"1";
    wchar_t file[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, file, MAX_PATH);
    const std::wstring program(file);
    ModuleAtDriveRoot placed(program.substr(0, program.rfind(L'\\')) + L"\\QZSKORN.DLL", L"QZSKORN.DLL");
    ASSERT_TRUE(placed.Ready());
    calls.clear();
    {
        GMiniInstaller installer(L"\\\\srv\\p", 0x1234);
        EXPECT_EQ(0u, installer.GetState());
    }
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(Loaded());
}

// The printer handle a call was given.
HANDLE CallHandle(const std::wstring& call)
{
    const size_t space = call.find(L' ');
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::stoul(call.substr(space + 1))));
}

// GetPrinterW with no buffer: a live handle asks for more room, a closed one is invalid.
DWORD HandleState(HANDLE printer)
{
    DWORD needed = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetPrinterW(printer, 2, nullptr, 0, &needed));
    return GetLastError();
}

class MiniInstallerOnThePrinter : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        const std::wstring key = L"System\\CurrentControlSet\\Control\\Print\\Printers\\" + printer.Name();
        services.keys = {key};
        services.registry[key + L"\\PrinterDriverData\\QzrdbUpdateRequest"] = L"1";
        calls.clear(), answer = 1;
    }
    const TestPrinter& printer = TestPrinter::Shared();
    LibraryServices& services = *new LibraryServices;
};

TEST_F(MiniInstallerOnThePrinter, DestructorStopsAndClosesOnlyTheHandleItOpened)
{
    HANDLE opened = nullptr;
    {
        GMiniInstaller installer(printer.Name().c_str(), 0);
        ASSERT_EQ(1u, installer.GetState());
        ASSERT_EQ(1u, calls.size());
        opened = CallHandle(calls[0]);
        EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), HandleState(opened)) << "open while loaded";
    }
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(L"KillMiniInstaller " + std::to_wstring(uintptr_t(opened)) + L" - 1", calls[1]);
    EXPECT_EQ(DWORD(ERROR_INVALID_HANDLE), HandleState(opened)) << "closed by the destructor";
    EXPECT_FALSE(Loaded());

    HANDLE given = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(printer.Name().c_str()), &given, nullptr));
    { GMiniInstaller installer(printer.Name().c_str(), uint32_t(uintptr_t(given))); }
    EXPECT_EQ(DWORD(ERROR_INSUFFICIENT_BUFFER), HandleState(given)) << "the caller's handle stays open";
    ClosePrinter(given);
}

TEST_F(MiniInstallerOnThePrinter, StopAnswersTheStopEntryAndUnloadsOnce)
{
    GMiniInstaller installer(printer.Name().c_str(), 0x4321);
    ASSERT_EQ(1u, installer.GetState());
    answer = 7;
    EXPECT_EQ(7, installer.Stop());
    EXPECT_EQ(0u, installer.GetState());
    EXPECT_FALSE(Loaded());
    EXPECT_EQ(-1, installer.Stop()) << "nothing loaded";
    const std::vector<std::wstring> expected = {L"InitializeMiniInstaller 17185 - 1", L"KillMiniInstaller 17185 - 1"};
    EXPECT_EQ(expected, calls);
}

} // namespace
