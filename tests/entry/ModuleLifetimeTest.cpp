#include "entry/module/ModuleLifetime.h"

#include "ModuleCopy.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/LocaleRule.h"
#include "entry/module/ModuleKeepAlive.h"
#include "entry/module/OpenDocumentTable.h"
#include "foundation/RWCString.h"
#include "foundation/RWTextLocale.h"
#include "foundation/RWWString.h"
#include "printer/GDriverServer.h"
#include "model/GLock.h"
#include "printer/GNewHandler.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

HMODULE ThisProgram() { return GetModuleHandleW(nullptr); }

// System services that cannot make locks: the driver server cannot be made with them.
struct LocklessServices : GUIOSFactory {
    GLock* CreateLock() override { return nullptr; }
};

TEST(ModuleLifetime, AttachMakesTheModuleWideObjectsAndDetachTakesThemAway)
{
    ASSERT_TRUE(ModuleLifetime::Attach(ThisProgram(), false));
    ASSERT_NE(nullptr, GOSFactory::Instance());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(ThisProgram()), GOSFactory::Instance()->GetModuleHandle());
    EXPECT_EQ(ThisProgram(), ModuleLifetime::Module());
    EXPECT_NE(nullptr, ModuleLifetime::DriverServer());
    EXPECT_EQ(GDriverServer::Instance(), ModuleLifetime::DriverServer());
    ASSERT_NE(nullptr, ModuleLifetime::DocumentTable());
    EXPECT_EQ(0u, ModuleLifetime::DocumentTable()->Entries());
    EXPECT_NE(nullptr, ModuleLifetime::DocumentTableLock());
    EXPECT_NE(nullptr, NewHandlerReserve());
    EXPECT_FALSE(ModuleKeepAlive::Module().WorkerRunning()) << "tests leave the keep-alive out";

    EXPECT_TRUE(ModuleLifetime::Detach(false));
    EXPECT_EQ(nullptr, ModuleLifetime::Module());
    EXPECT_EQ(nullptr, ModuleLifetime::DriverServer());
    EXPECT_EQ(nullptr, GDriverServer::Instance());
    EXPECT_EQ(nullptr, ModuleLifetime::DocumentTable());
    EXPECT_EQ(nullptr, ModuleLifetime::DocumentTableLock());
    EXPECT_EQ(nullptr, NewHandlerReserve()) << "the out-of-memory handler is removed";
    EXPECT_NE(nullptr, GOSFactory::Instance()) << "the system services outlive detach";
}

TEST(ModuleLifetime, AttachWithoutADriverServerFailsAndKeepsServicesAndHandler)
{
    ASSERT_EQ(nullptr, GDriverServer::Instance());
    LocklessServices* services = new LocklessServices;
    EXPECT_FALSE(ModuleLifetime::Attach(ThisProgram(), false));
    EXPECT_EQ(services, GOSFactory::Instance());
    EXPECT_NE(nullptr, NewHandlerReserve());
    EXPECT_EQ(nullptr, ModuleLifetime::DriverServer());
    EXPECT_EQ(nullptr, GDriverServer::Instance());
    EXPECT_EQ(nullptr, ModuleLifetime::DocumentTable()) << "attach stopped before the table";
    ModuleLifetime::Detach(false);
    delete services;
}

// Sound behaviour: at process end the other threads are gone, perhaps holding locks, so
// detach shuts nothing down.
TEST(ModuleLifetime, DetachAtProcessEndShutsNothingDown)
{
    ASSERT_TRUE(ModuleLifetime::Attach(ThisProgram(), false));
    GDriverServer* server = ModuleLifetime::DriverServer();
    EXPECT_TRUE(ModuleLifetime::Detach(true));
    EXPECT_EQ(nullptr, GDriverServer::Instance()) << "abandoned: the unload's clean-up leaves it alone";
    EXPECT_EQ(server, ModuleLifetime::DriverServer()) << "not deleted";
    EXPECT_NE(nullptr, ModuleLifetime::DocumentTable());
    EXPECT_NE(nullptr, ModuleLifetime::DocumentTableLock());
    EXPECT_NE(nullptr, NewHandlerReserve());
    EXPECT_TRUE(ModuleLifetime::Detach(false));
    EXPECT_EQ(nullptr, ModuleLifetime::DriverServer());
}

// The module copy is mapped without running its own attach, so the module handle names
// a file in a folder of the test's choosing.
TEST(ModuleLifetime, ApplicationFlagsComeFromTheSiblingLibraryBesideTheModule)
{
    const struct {
        const char* name;
        bool sibling;
        const char* environment;
        uint32_t flags;
    } cases[] = {
        {"flags set", true, "0x40100", 0x40100},
        {"flags unset", true, nullptr, 0},
        {"no sibling library", false, "0x40100", 0},
    };
    for (const auto& c : cases) {
        std::unique_ptr<ModuleCopy> made(c.sibling ? new ModuleCopy{L"qzui32.dll", L"qzwolm32.dll"}
                                                   : new ModuleCopy{L"qzui32.dll"});
        const ModuleCopy& copy = *made;
        ASSERT_TRUE(copy.Ok()) << c.name;
        SetEnvironmentVariableA("QZ_TEST_APPFLAGS", c.environment);
        HMODULE module = LoadLibraryExW(copy.Path(L"qzui32.dll").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(nullptr, module) << c.name;
        EXPECT_TRUE(ModuleLifetime::Attach(module, false)) << c.name;
        EXPECT_EQ(c.flags, ModuleLifetime::AppFlags()) << c.name;
        ModuleLifetime::Detach(false);
        FreeLibrary(module);
        SetEnvironmentVariableA("QZ_TEST_APPFLAGS", nullptr);
        EXPECT_EQ(nullptr, GetModuleHandleW(copy.Path(L"qzwolm32.dll").c_str())) << c.name << ": freed again";
    }
}

TEST(ModuleLifetime, AttachLeavesTheHostsLocaleAlone)
{
    const char* before = std::setlocale(LC_ALL, nullptr);
    const std::string saved = before ? before : "";
    ASSERT_TRUE(ModuleLifetime::Attach(ThisProgram(), false));
    const char* after = std::setlocale(LC_ALL, nullptr);
    EXPECT_EQ(saved, after ? after : "");
    EXPECT_EQ(LocaleCategoryFor(GetSystemDefaultLangID()), ModuleLifetime::LocaleCategory());
    // Names compare by the module's collation, in order both ways round, narrow and wide.
    const struct {
        const char* less;
        const char* more;
    } ordered[] = {{"a", "b"}, {"ab", "abc"}, {"", "z"}};
    for (const auto& o : ordered) {
        const RWWString less(o.less, RWWString::multiByte), more(o.more, RWWString::multiByte);
        EXPECT_LT(RWCString(o.less).Collate(o.more), 0) << o.less << " " << o.more;
        EXPECT_GT(RWCString(o.more).Collate(o.less), 0) << o.more << " " << o.less;
        EXPECT_EQ(0, RWCString(o.more).Collate(o.more)) << o.more;
        EXPECT_LT(less.Collate(more.Data()), 0) << o.less << " " << o.more;
        EXPECT_GT(more.Collate(less.Data()), 0) << o.more << " " << o.less;
        EXPECT_EQ(0, more.Collate(more.Data())) << o.more;
    }
    ModuleLifetime::Detach(false);
}

// The module's conversions follow the system code page from attach to detach, while the
// host's locale stays as the host set it.
TEST(ModuleLifetime, TheModulesConversionsTakeThePrivateLocaleOfTheSystemCodePage)
{
    CPINFO info = {};
    ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
    if (info.MaxCharSize != 1)
        GTEST_SKIP() << "a single-byte system code page is compared byte by byte";
    std::string bytes;
    for (int b = 0xA0; b <= 0xFF; ++b)
        bytes.push_back(char(b));
    bytes.push_back(char(0x80));
    std::wstring system(bytes.size(), L'\0');
    ASSERT_EQ(int(bytes.size()),
              MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), &system[0], int(system.size())));
    const std::string host = std::setlocale(LC_ALL, nullptr);

    ASSERT_TRUE(ModuleLifetime::Attach(ThisProgram(), false));
    EXPECT_TRUE(RWTextLocale::InUse());
    const RWWString wide(bytes.c_str(), RWWString::multiByte);
    EXPECT_EQ(system, std::wstring(wide.Data(), wide.Length()));
    const RWCString narrow = wide.ToMultiByte();
    EXPECT_EQ(bytes, std::string(narrow.Data(), narrow.Length()));
    EXPECT_EQ(bytes.size(), RWCString(bytes.c_str()).MbLength());
    EXPECT_EQ(host, std::setlocale(LC_ALL, nullptr)) << "the host's locale is untouched";
    ModuleLifetime::Detach(false);

    EXPECT_FALSE(RWTextLocale::InUse());
    // The process's own "C" locale widens byte for byte again.
    if (host == "C") {
        const RWWString plain(bytes.c_str(), RWWString::multiByte);
        ASSERT_EQ(bytes.size(), plain.Length());
        EXPECT_EQ(wchar_t(0x80), plain.Data()[bytes.size() - 1]);
    }
}

TEST(LocaleRule, ChineseJapaneseAndKoreanTakeEveryCategory)
{
    const struct {
        uint16_t language;
        int category;
    } rows[] = {
        {0x0411, LC_ALL},   // Japanese
        {0x0804, LC_ALL},   // Chinese (PRC)
        {0x0404, LC_ALL},   // Chinese (Taiwan)
        {0x0412, LC_ALL},   // Korean
        {0x0409, LC_CTYPE}, // English (United States)
        {0x0407, LC_CTYPE}, // German
        {0x0419, LC_CTYPE}, // Russian
        {0x0000, LC_CTYPE},
        {0x0111, LC_ALL},   // only the low eight bits name the language
        {0x0113, LC_CTYPE},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.category, LocaleCategoryFor(row.language)) << std::hex << row.language;
}

void* Handle(uintptr_t value) { return reinterpret_cast<void*>(value); }

TEST(OpenDocumentTable, FindsAndRemovesByPrinterHandle)
{
    OpenDocumentTable table;
    EXPECT_EQ(16u, OpenDocumentTable::kBuckets);
    // 0x10, 0x20 and 0x30 share a bucket; 0x11 has one of its own.
    for (uintptr_t handle : {0x10u, 0x20u, 0x30u, 0x11u})
        ASSERT_TRUE(table.Insert(Handle(handle), static_cast<uint32_t>(handle * 100)));
    EXPECT_EQ(4u, table.Entries());
    uint32_t ticket = 0;
    for (uintptr_t handle : {0x10u, 0x20u, 0x30u, 0x11u}) {
        EXPECT_TRUE(table.Find(Handle(handle), ticket));
        EXPECT_EQ(handle * 100, ticket);
    }
    EXPECT_FALSE(table.Find(Handle(0x40), ticket));
    ASSERT_TRUE(table.Remove(Handle(0x20), ticket));
    EXPECT_EQ(0x20u * 100, ticket);
    EXPECT_FALSE(table.Find(Handle(0x20), ticket));
    EXPECT_TRUE(table.Find(Handle(0x30), ticket)) << "the rest of the bucket stays linked";
    EXPECT_FALSE(table.Remove(Handle(0x20), ticket));
    EXPECT_EQ(3u, table.Entries());
}

TEST(OpenDocumentTable, OneHandleTwiceIsTakenOutInOrder)
{
    OpenDocumentTable table;
    ASSERT_TRUE(table.Insert(Handle(7), 1));
    ASSERT_TRUE(table.Insert(Handle(7), 2));
    uint32_t ticket = 0;
    ASSERT_TRUE(table.Remove(Handle(7), ticket));
    EXPECT_EQ(1u, ticket);
    ASSERT_TRUE(table.Remove(Handle(7), ticket));
    EXPECT_EQ(2u, ticket);
    EXPECT_EQ(0u, table.Entries());
}

TEST(OpenDocumentTable, KeysHashToThemselves)
{
    void* key = Handle(0x12345678);
    EXPECT_EQ(0x12345678u, OpenDocumentTable::Hash(&key));
}

// A lock that counts its use and can be made to fail its wait.
struct CountingLock : GLock {
    int acquired = 0, released = 0;
    bool failWait = false;
    int32_t Acquire() override { return failWait ? -1 : (++acquired, 0); }
    int32_t Release() override { return ++released, 0; }
};

TEST(OpenDocumentTable, EveryOperationRunsUnderTheLock)
{
    CountingLock lock;
    OpenDocumentTable table;
    table.SetLock(&lock);
    uint32_t ticket = 0;
    table.Insert(Handle(1), 5);
    table.Find(Handle(1), ticket);
    table.Remove(Handle(1), ticket);
    table.Entries();
    EXPECT_EQ(4, lock.acquired);
    EXPECT_EQ(4, lock.released);
    // A failed wait is reported (error 301, recorded here instead of ending the process)
    // and the operation goes on without the lock, which is not released.
    static int reports;
    reports = 0;
    OpenDocumentTable::SetLockFailureReporterForTesting(
        [](int32_t severity, uint16_t id, RWCString, int32_t, RWCString) { reports += severity == 2 && id == 301; });
    lock.failWait = true;
    EXPECT_TRUE(table.Insert(Handle(2), 6)) << "a failed wait is not released";
    EXPECT_EQ(4, lock.released);
    EXPECT_EQ(1, reports);
    OpenDocumentTable::SetLockFailureReporterForTesting(nullptr);
}

} // namespace
