#include "printer/GOSFactory.h"

#include "ChildProcess.h"
#include "TestOSFactory.h"
#include "model/GTextConverter.h"
#include "model/OSVersionRecord.h"
#include "model/GCriticalError.h"
#include "printer/GNewHandler.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <set>
#include <thread>

namespace {

// The new instance replaces (and deletes) the one before; the last is deleted at exit.
TestOSFactory* Fresh() { return new TestOSFactory; }

TEST(GOSFactoryLocks, EnsureLockFromManyThreadsMakesOne)
{
    TestOSFactory* services = Fresh();
    GLock* lock = nullptr;
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&] { services->EnsureLock(&lock); });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(1, services->locksMade);
    delete lock;
}

TEST(GOSFactoryTextConverter, ThreadsShareOneConverterMadeOnce)
{
    TestOSFactory* services = Fresh();
    DiscardTextConverter();
    GTextConverter* seen[2] = {};
    std::thread other([&] { seen[1] = GetTextConverter(); });
    seen[0] = GetTextConverter();
    other.join();
    ASSERT_NE(nullptr, seen[0]);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_EQ(1, services->convertersAsked);
    EXPECT_EQ(L'A', seen[0]->ToWide('A', ANSI_CHARSET));
}

bool OnlyDigitsAndCapitals(const std::wstring& text)
{
    return text.find_first_not_of(L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::wstring::npos;
}

TEST(GOSFactoryUniqueFile, NamesFromTheTemplateInTheFolder)
{
    TestOSFactory* services = Fresh();
    wchar_t temp[MAX_PATH];
    const RWWString folder(temp, GetTempPathW(MAX_PATH, temp) - 1);
    RWWString name;
    RWWString again;
    services->MakeUniqueFile(name, folder, L"fixed.tmp", 0);
    services->MakeUniqueFile(again, folder + L"\\", L"fixed.tmp", 0);
    EXPECT_EQ(0, name.CompareTo(folder + L"\\fixed.tmp"));
    EXPECT_EQ(0, again.CompareTo(name));
    services->MakeUniqueFile(name, L"", L"a&b", 0);
    EXPECT_TRUE(name.Length() == 3 && name[0] == L'a' && name[2] == L'b' && OnlyDigitsAndCapitals({name[1]}));

    std::set<std::wstring> names;
    for (int i = 0; i < 100; ++i) {
        services->MakeUniqueFile(name, folder, L"", 0);
        std::wstring leaf = std::wstring(name.Data()).substr(folder.Length() + 1);
        EXPECT_TRUE(leaf.size() == 12 && leaf[8] == L'.' && OnlyDigitsAndCapitals(leaf.erase(8, 1))) << name.Data();
        names.insert(leaf);
    }
    EXPECT_EQ(100u, names.size());
    EXPECT_EQ(1, services->seeds);

    // Taken names and a missing folder give up with an empty name.
    services->fixedRandom = 0;
    services->MakeUniqueFile(name, folder, L"&", 1);
    services->MakeUniqueFile(again, folder, L"&", 1);
    EXPECT_TRUE(again.IsNull());
    EXPECT_TRUE(DeleteFileW(name.Data()));
    services->MakeUniqueFile(name, folder + L"\\qz-missing", L"", 1);
    EXPECT_TRUE(name.IsNull());
}

// The words are the detected record's, or all zero when detection fails.
TEST(GOSFactoryVersion, FailedDetectionAnswersZeros)
{
    uint32_t words[3] = {7, 7, 7};
    Fresh()->GetOSVersion(words[0], words[1], words[2]);
    OSVersionRecord record = {0, 0, 0};
    const OSVersionRecord expected = DetectOSVersion(record) ? record : OSVersionRecord{0, 0, 0};
    EXPECT_EQ(expected, (OSVersionRecord{words[0], words[1], words[2]}));
}

// Services whose size query answers as the row says.
struct SizeQueryServices : TestOSFactory {
    int answer = 0;
    uint32_t reported = 0;
    int GetPrinterDataBinary(GDriverObject*, const RWWString&, void*, uint32_t, uint32_t& length) override
    {
        return length = reported, answer;
    }
};

// The base services' absent check takes a value as there whenever the size query reports
// a length, also when the query itself fails for want of room, as a spooler's answers.
TEST(GOSFactoryPrinterData, AValueIsAbsentOnlyWhenTheSizeQueryFindsNothing)
{
    const struct {
        const char* what;
        int answer;
        uint32_t reported;
        bool absent;
    } rows[] = {
        {"a length, the query answered", 1, 248, false},
        {"a length, the query failed for want of room", 0, 248, false},
        {"no bytes, the query answered", 1, 0, false},
        {"nothing", 0, 0, true},
    };
    auto* services = new SizeQueryServices;
    for (const auto& row : rows) {
        services->answer = row.answer;
        services->reported = row.reported;
        EXPECT_EQ(row.absent, services->GOSFactory::IsPrinterDataAbsent(nullptr, L"365")) << row.what;
    }
    Fresh();
}

TEST(GDriverServicesAdapterCalls, ForwardWithTheClientAndNumberedNames)
{
    TestOSFactory* services = Fresh();
    std::unique_ptr<GDriverServicesAdapter> adapter(services->CreateServicesAdapter(nullptr));
    EXPECT_EQ(0, GDriverServicesAdapter::NumberedName(0).CompareTo(L"0"));
    EXPECT_EQ(0, GDriverServicesAdapter::NumberedName(4294967295u).CompareTo(L"4294967295"));
    EXPECT_EQ(1, adapter->SetDword(L"Count", 42));
    EXPECT_EQ(42u, adapter->GetDword(L"Count", 0));
}

// Children that end the process: severities 1 and 2 end with status 3, also when the
// server's teardown waits on a lock the reporting thread holds; an allocation failure
// with nothing to free ends with error 101.
TEST(CriticalErrorChild, DISABLED_SeverityOne) { ReportCriticalError(1, 501, "drvrsrvr", 1, ""); }

std::mutex g_serverLock;

TEST(CriticalErrorChild, DISABLED_SeverityTwoWhileHoldingTheServerLock)
{
    g_serverLock.lock();
    SetDriverServerHooks({[] { std::lock_guard<std::mutex> wait(g_serverLock); }, nullptr});
    ReportCriticalError(2, 301, "osfactry", 591, "");
}

TEST(CriticalErrorChild, DISABLED_NothingToFree)
{
    Fresh();
    InstallNewHandler(64);
    volatile size_t size = 0xFFF00000u;
    std::printf("%p\n", ::operator new(size));
}

TEST(CriticalError, FatalSeveritiesEndTheProcessOthersReturn)
{
    const std::pair<const char*, const char*> children[] = {
        {"DISABLED_SeverityOne", "Error id = 501  (No error string table, yet...)"},
        {"DISABLED_SeverityTwoWhileHoldingTheServerLock", "cannot continue.  Save your work, and exit the current "
                                                          "application.  (Error id = 301)"},
        {"DISABLED_NothingToFree", "(Error id = 101)"},
    };
    for (const auto& c : children) {
        const ChildResult child = RunChildTest(std::string("CriticalErrorChild.") + c.first);
        EXPECT_EQ(3u, child.exitCode) << c.first << "\n" << child.output;
        EXPECT_NE(std::string::npos, child.output.find(c.second)) << child.output;
    }
    ReportCriticalError(0, 7, "test", 1, "");
}

int g_freed = 0;
void MarkerHandler() {}

TEST(NewHandler, InstallTwiceKeepsTheFirstAndAFailureRebuildsTheReserve)
{
    Fresh();
    std::set_new_handler(MarkerHandler);
    InstallNewHandler(100);
    InstallNewHandler(200);
    EXPECT_EQ(OutOfMemoryHandler, std::get_new_handler());
    EXPECT_EQ(200u, NewHandlerReserveSize());
    SetDriverServerHooks({nullptr, [] { return ++g_freed; }});
    OutOfMemoryHandler();
    EXPECT_EQ(1, g_freed);
    EXPECT_NE(nullptr, NewHandlerReserve());
    SetDriverServerHooks({nullptr, nullptr});
    RemoveNewHandler();
    EXPECT_EQ(MarkerHandler, std::get_new_handler());
    EXPECT_EQ(nullptr, NewHandlerReserve());
    std::set_new_handler(nullptr);
}

TEST(GOSFactoryPrograms, TheSystemFolderExistsAndEndsWithoutASeparator)
{
    TestOSFactory* services = Fresh();
    RWWString folder;
    services->GetSystemFolder(folder);
    ASSERT_FALSE(folder.IsNull());
    EXPECT_NE(L'\\', folder[folder.Length() - 1]);
    const DWORD attributes = GetFileAttributesW(folder.Data());
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(GOSFactoryPrograms, AProgramThatIsNotThereDoesNotStart)
{
    TestOSFactory* services = Fresh();
    EXPECT_LE(services->RunCommand(L"Z:\\no-such-folder\\no-such-program.exe", 5), 31u);
    EXPECT_LE(services->RunCommand(L"", 5), 31u);
}

} // namespace
