#include "printer/GDriverServer.h"

#include "ChildProcess.h"
#include "FileWriteTime.h"
#include "TempPath.h"
#include "TestOSFactory.h"
#include "printer/PrinterIdentity.h"
#include "model/GResourceMappingList.h"
#include "model/MPersistentComposite.h"
#include "model/GCriticalError.h"
#include "printer/GDriverObject.h"
#include "printer/GPeripheral.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <thread>

namespace {

// The printer member of the test models, counting its live objects.
std::atomic<int> g_livePrinters{0};
class ModelPrinter : public GPersistent<ModelPrinter, GPeripheral, 4001> {
public:
    static constexpr const char* kClassName = "ModelPrinter";
    auto StoredForm() { return GNoFields(); }
    ModelPrinter* CreateNew() const override { return new ModelPrinter; }
    ModelPrinter* Copy() const override { return new ModelPrinter(*this); }
    ModelPrinter() { ++g_livePrinters; }
    ModelPrinter(const ModelPrinter& other) : GPersistent(other) { ++g_livePrinters; }
    ~ModelPrinter() override { --g_livePrinters; }
    uint32_t QueryFlags() override { return 0; }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
};

// A driver object that counts its deletion and runs a probe wherever the server calls it.
struct TestDriver : GDriverObject {
    TestDriver(const PrinterIdentity& id, std::atomic<int>* deleted, std::function<void()> probe)
        : identity(id), deleted(deleted), probe(probe) {}
    ~TestDriver() override { probe(), ++*deleted; }
    GCacheKey* GetIdentity() const override { return probe(), new PrinterIdentity(identity); }
    void ResetForReuse(const GCacheKey&) override { probe(), ++resets; }
    void OnRelease() override { probe(); }
    bool KeepsCaller() override { return probe(), keepsCaller; }
    int FreeMemory() override { return freeMemory ? freeMemory() : 0; }
    PrinterIdentity identity;
    std::atomic<int>* deleted;
    std::function<void()> probe;
    std::function<int()> freeMemory;
    int resets = 0;
    bool keepsCaller = true;
};

struct ServerServices : TestOSFactory {
    GDriverObject* CreateDriverObject(const PrinterIdentity& id) override { return ++made, new TestDriver(id, &deleted, probe); }
    GDriverObject* CreateSecondaryDriverObject(const PrinterIdentity& id) override { return CreateDriverObject(id); }
    void GetDriverDataFile(RWWString& path, GDriverObject*) override { path = dataFile.c_str(); }
    // Every read of a printer model opens the data file.
    GInStreamHolder* OpenFileInputStream(const RWWString& p, int k) override
    {
        return ++modelReads, TestOSFactory::OpenFileInputStream(p, k);
    }
    uint32_t ProcessorCount() override { return processors; }
    std::wstring dataFile;
    std::atomic<int> made{0}, deleted{0}, modelReads{0};
    uint32_t processors = 1;
    std::function<void()> probe = [] {};
};

// Writes a model root holding the members given by id through the typed stream the server reads.
void WriteModel(ServerServices& services, std::initializer_list<std::pair<long, GObjectBase*>> members)
{
    MPersistentComposite root;
    for (const auto& member : members)
        member.second->SetId(member.first), root.Add(member.second);
    std::unique_ptr<GOutStreamHolder> out(services.OpenFileOutputStream(services.dataFile.c_str(), 1));
    *out->GetStream() << &root;
}

PrinterIdentity* Identity(const wchar_t* name) { return new PrinterIdentity(nullptr, name, L"Driver", L"FILE:", 0); }

class GDriverServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        services->dataFile.assign(file.str().begin(), file.str().end());
        WriteModel(*services, {{353, new ModelPrinter}, {191, new GResourceMappingList}, {84, new GResourceMappingList},
                               {194, new GResourceMappingList}});
    }
    void TearDown() override { delete server; }
    TempPath file{"model"};
    ServerServices* services = new ServerServices;
    GDriverServer* server = new GDriverServer;
};

TEST_F(GDriverServerTest, SparesServeTheSamePrinterOnly)
{
    uint32_t first = 0, second = 0, third = 0, other = 0;
    TestDriver* a = static_cast<TestDriver*>(server->Acquire(Identity(L"P"), first));
    ASSERT_NE(nullptr, a);
    server->Release(first);
    EXPECT_EQ(a, server->Acquire(Identity(L"P"), second));
    EXPECT_EQ(a, server->LookUp(second));
    EXPECT_EQ(1, a->resets);
    GDriverObject* b = server->Acquire(Identity(L"P"), third);
    EXPECT_NE(a, b);
    EXPECT_NE(second, third);
    server->Release(second), server->Release(third);
    EXPECT_EQ(0, services->deleted) << "both wait as spares";
    GDriverObject* q = server->Acquire(Identity(L"Q"), other);
    EXPECT_NE(a, q);
    EXPECT_NE(b, q) << "another printer's spare is never taken";
    EXPECT_EQ(b, server->Acquire(Identity(L"P"), second)) << "the newest spare of the printer";
    EXPECT_EQ(a, server->Acquire(Identity(L"P"), third));
    server->Release(other), server->Release(second), server->Release(third);
    EXPECT_EQ(3, services->made);
    EXPECT_EQ(3, services->modelReads);
    EXPECT_EQ(1, server->FlushKept());
    EXPECT_EQ(3, services->deleted);
    EXPECT_EQ(0, server->FlushKept());
}

// A spare released under the handle asked for goes first, as it is; else an object made
// afresh for the new handle takes the model of the printer's newest spare through another
// handle, and the spare goes: no model is read again. A spare that finds the handle of its
// value to be another handle gives only its model too.
TEST_F(GDriverServerTest, SparesOfThePrinterServeAnotherHandleAfterTheSameOne)
{
    auto withHandle = [](uintptr_t handle) {
        return new PrinterIdentity(reinterpret_cast<void*>(handle), L"P", L"Driver", L"FILE:", 0);
    };
    uint32_t first = 0, second = 0;
    TestDriver* a = static_cast<TestDriver*>(server->Acquire(withHandle(0x11), first));
    TestDriver* b = static_cast<TestDriver*>(server->Acquire(withHandle(0x22), second));
    ASSERT_TRUE(a && b);
    const GObjectBase* model = b->GetPrinter();
    server->Release(first), server->Release(second);
    EXPECT_EQ(a, server->Acquire(withHandle(0x11), first)) << "the same handle's, though not the newest";
    EXPECT_EQ(1, a->resets);
    TestDriver* c = static_cast<TestDriver*>(server->Acquire(withHandle(0x33), second));
    ASSERT_NE(nullptr, c);
    EXPECT_EQ(model, c->GetPrinter()) << "the spare's model";
    EXPECT_EQ(0, c->resets) << "a fresh object";
    EXPECT_EQ(1, services->deleted) << "the spare whose model was taken";
    server->Release(first), server->Release(second);
    EXPECT_EQ(3, services->made);
    EXPECT_EQ(2, services->modelReads);

    a->keepsCaller = false;
    const GObjectBase* itsModel = a->GetPrinter();
    TestDriver* d = static_cast<TestDriver*>(server->Acquire(withHandle(0x11), first));
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(itsModel, d->GetPrinter()) << "the spare's model";
    EXPECT_EQ(0, d->resets) << "a fresh object";
    EXPECT_EQ(2, services->deleted) << "the spare that did not keep its caller";
    EXPECT_EQ(2, services->modelReads);
    server->Release(first);
}

// A spare's model serves, through the same handle or another, only while the data file
// the driver names is the one it was read from, of the same size and write time; else
// the model is read again and the spare goes.
TEST_F(GDriverServerTest, ASparesModelServesOnlyWhileItsDataFileIsAsItWas)
{
    TempPath other{"model-other"};
    const std::wstring model(file.str().begin(), file.str().end());
    const std::wstring original = services->dataFile;
    const struct {
        const char* change;
        std::function<void()> make;
        bool readAgain;
    } rows[] = {
        {"nothing", [] {}, false},
        {"a later write time",
         [&] {
             FILETIME time = {};
             ASSERT_TRUE(FileWriteTime(model, time));
             time.dwHighDateTime += 1;
             ASSERT_TRUE(FileWriteTime(model, time, true));
         },
         true},
        {"another size at the same write time",
         [&] {
             FILETIME time = {};
             ASSERT_TRUE(FileWriteTime(model, time));
             WriteModel(*services, {{353, new ModelPrinter}, {191, new GResourceMappingList},
                                    {84, new GResourceMappingList}, {194, new GResourceMappingList},
                                    {195, new GResourceMappingList}});
             ASSERT_TRUE(FileWriteTime(model, time, true));
         },
         true},
        {"another file of the same bytes and write time",
         [&] {
             ASSERT_TRUE(CopyFileA(file.c_str(), other.c_str(), FALSE));
             services->dataFile.assign(other.str().begin(), other.str().end());
         },
         true},
    };
    for (bool sameHandle : {true, false}) {
        for (const auto& row : rows) {
            services->dataFile = original;
            WriteModel(*services, {{353, new ModelPrinter}, {191, new GResourceMappingList},
                                   {84, new GResourceMappingList}, {194, new GResourceMappingList}});
            server->FlushKept();
            uint32_t ticket = 0;
            ASSERT_NE(nullptr, server->Acquire(Identity(L"P"), ticket));
            server->Release(ticket);
            row.make();
            const int reads = services->modelReads, deleted = services->deleted;
            PrinterIdentity* identity = sameHandle ? Identity(L"P")
                                                   : new PrinterIdentity(reinterpret_cast<void*>(0x44), L"P",
                                                                         L"Driver", L"FILE:", 0);
            GDriverObject* answered = server->Acquire(identity, ticket);
            ASSERT_NE(nullptr, answered) << row.change;
            EXPECT_EQ(row.readAgain ? 1 : 0, services->modelReads - reads) << row.change << sameHandle;
            EXPECT_EQ(sameHandle && !row.readAgain ? 1 : 0, static_cast<TestDriver*>(answered)->resets)
                << row.change << sameHandle << " (1: the spare itself)";
            EXPECT_EQ(sameHandle && !row.readAgain ? 0 : 1, services->deleted - deleted) << row.change << sameHandle;
            server->Release(ticket);
        }
    }
}

// Twice the processors, at least 2 and at most 128; the largest number of spares is kept,
// and one more release deletes the oldest.
TEST_F(GDriverServerTest, SparesAreBoundedAndTheOldestGoesFirst)
{
    const struct {
        uint32_t processors, bound;
    } rows[] = {{0, 2}, {1, 2}, {2, 4}, {8, 16}, {64, 128}, {65, 128}, {0xFFFFFFFFu, 128}};
    for (const auto& row : rows) {
        delete server;
        services->processors = row.processors;
        server = new GDriverServer;
        ASSERT_EQ(row.bound, server->SpareBound()) << row.processors;
        const int deletedBefore = services->deleted;
        std::vector<uint32_t> tickets(row.bound + 1);
        std::vector<GDriverObject*> objects;
        for (uint32_t& ticket : tickets)
            objects.push_back(server->Acquire(Identity(L"P"), ticket));
        for (uint32_t i = 0; i < row.bound; ++i)
            server->Release(tickets[i]);
        EXPECT_EQ(deletedBefore, services->deleted) << row.processors << ": the bound is kept";
        server->Release(tickets[row.bound]);
        EXPECT_EQ(deletedBefore + 1, services->deleted) << row.processors << ": one more evicts one";
        // The spares come back newest first, and the first one released is gone.
        const int madeBefore = services->made;
        for (uint32_t i = row.bound; i >= 1; --i)
            EXPECT_EQ(objects[i], server->Acquire(Identity(L"P"), tickets[i])) << row.processors << " " << i;
        EXPECT_EQ(madeBefore, services->made) << row.processors;
        for (uint32_t i = 1; i <= row.bound; ++i)
            server->Release(tickets[i]);
    }
}

TEST_F(GDriverServerTest, ModelFromTheDataFileOrNoObject)
{
    const struct {
        const char* name;
        std::function<void()> write;
        bool loads;
    } cases[] = {
        {"complete", [] {}, true},
        {"without 194", [&] { WriteModel(*services, {{353, new ModelPrinter}, {191, new GResourceMappingList}}); }, true},
        {"truncated", [&] { std::filesystem::resize_file(file.str(), std::filesystem::file_size(file.str()) - 6); }, false},
        {"no printer", [&] { WriteModel(*services, {{191, new GResourceMappingList}}); }, false},
        {"printer of the wrong kind", [&] { WriteModel(*services, {{353, new GResourceMappingList}}); }, false},
        {"pool of the wrong kind", [&] { WriteModel(*services, {{353, new ModelPrinter}, {191, new ModelPrinter}}); }, false},
        {"tray map of the wrong kind", [&] { WriteModel(*services, {{353, new ModelPrinter}, {84, new ModelPrinter}}); }, false},
        {"id map of the wrong kind", [&] { WriteModel(*services, {{353, new ModelPrinter}, {194, new ModelPrinter}}); }, false},
        {"missing", [&] { services->dataFile += L".none"; }, false},
    };
    for (const auto& c : cases) {
        c.write();
        uint32_t ticket = 7;
        GDriverObject* driver = server->Acquire(Identity(L"P"), ticket);
        EXPECT_EQ(c.loads, driver != nullptr) << c.name;
        EXPECT_EQ(c.loads, ticket != 0) << c.name;
        if (driver) {
            ASSERT_NE(nullptr, driver->GetIdMap()) << c.name;
            EXPECT_EQ(194, driver->GetIdMap()->GetId()) << c.name;
            EXPECT_EQ(353, driver->GetPrinter()->GetId()) << c.name;
            server->Release(ticket), server->FlushKept();
        }
        EXPECT_EQ(services->made, services->deleted) << c.name;
        EXPECT_EQ(0, g_livePrinters) << c.name;
    }
}

// Object code that calls back into the server (a destructor, a memory release that runs
// out of memory itself) must find no table lock held.
TEST_F(GDriverServerTest, ObjectsRunOutsideTheTableLocks)
{
    int probes = 0, inner = -1;
    services->probe = [&] { ++probes, server->LookUp(1); };
    uint32_t first = 0, second = 0;
    TestDriver* a = static_cast<TestDriver*>(server->Acquire(Identity(L"P"), first));
    a->freeMemory = [&] { return inner = server->FreeMemory(), 1; };
    EXPECT_EQ(1, server->FreeMemory());
    EXPECT_EQ(0, inner) << "a busy table is passed over";
    server->Release(first);
    server->Release((server->Acquire(Identity(L"Q"), second), second));
    EXPECT_EQ(1, GetDriverServerHooks().freeMemory()) << "the kept object goes first";
    EXPECT_EQ(0, server->FreeMemory());
    EXPECT_EQ(2, services->deleted);
    EXPECT_LE(4, probes);
}

TEST(GDriverServerChild, DISABLED_UnknownTicket)
{
    new ServerServices;
    GDriverServer server;
    server.Release(12345);
}

TEST_F(GDriverServerTest, UnknownTicketEndsTheProcessUnlessShuttingDown)
{
    const ChildResult child = RunChildTest("GDriverServerChild.DISABLED_UnknownTicket");
    EXPECT_EQ(3u, child.exitCode) << child.output;
    EXPECT_NE(std::string::npos, child.output.find("Error id = 501")) << child.output;
    uint32_t ticket = 0;
    server->Acquire(Identity(L"P"), ticket);
    GetDriverServerHooks().beginShutdown();
    server->Release(ticket + 1), server->Release(ticket);
    EXPECT_EQ(1, services->deleted) << "a release while shutting down deletes";
}

TEST_F(GDriverServerTest, LastSecondaryReleaseClosesTheFontFiles)
{
    static int closed = 0;
    GDriverServer::SetFontFileCloser([] { ++closed; });
    uint32_t tickets[2] = {};
    server->AcquireSecondary(Identity(L"P"), tickets[0]), server->AcquireSecondary(Identity(L"P"), tickets[1]);
    server->ReleaseSecondary(tickets[0]);
    EXPECT_EQ(0, closed) << "a secondary object is still live";
    server->ReleaseSecondary(tickets[1]);
    EXPECT_EQ(1, closed);
    GDriverServer::SetFontFileCloser(nullptr);
}

TEST_F(GDriverServerTest, ThreadsAcquireAndRelease)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < 200; ++i) {
                uint32_t ticket = 0;
                GDriverObject* driver = server->Acquire(Identity(i % 3 ? L"P" : t % 2 ? L"Q" : L"R"), ticket);
                if (driver && server->LookUp(ticket) == driver)
                    server->Release(ticket);
                if (i % 50 == 0)
                    server->FreeMemory();
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    delete server, server = nullptr;
    EXPECT_EQ(services->made, services->deleted);
    EXPECT_EQ(0, g_livePrinters);
}

// Sixteen threads hold an object each at once, give them back, and take them again: the
// second pass finds every object as a spare and reads no model.
TEST_F(GDriverServerTest, SixteenThreadsFindSparesOnTheSecondPass)
{
    const int kThreads = 16;
    delete server;
    services->processors = 8;
    server = new GDriverServer;
    std::atomic<int> arrived{0};
    auto together = [&](int round) {
        ++arrived;
        while (arrived < round * kThreads)
            std::this_thread::yield();
    };
    std::atomic<int> secondPassReads{-1}, failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&] {
            for (int pass = 0; pass < 2; ++pass) {
                uint32_t ticket = 0;
                if (!server->Acquire(Identity(L"P"), ticket))
                    ++failures;
                together(3 * pass + 1);
                server->Release(ticket);
                together(3 * pass + 2);
                if (pass == 0)
                    secondPassReads.exchange(services->modelReads);
                together(3 * pass + 3);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.load());
    EXPECT_EQ(kThreads, secondPassReads.load()) << "the first pass reads one model per object";
    EXPECT_EQ(kThreads, services->modelReads.load()) << "the second pass reads none";
    EXPECT_EQ(kThreads, services->made.load());
    EXPECT_EQ(0, services->deleted.load());
}

// Clear, the start of shutdown and the server's end each delete the spares waiting.
TEST_F(GDriverServerTest, ClearAndShutdownDeleteTheSparesWaiting)
{
    const struct {
        const char* name;
        std::function<void()> end;
    } rows[] = {
        {"clear", [&] { EXPECT_EQ(1, server->FlushKept()); }},
        {"shutdown begins", [] { GetDriverServerHooks().beginShutdown(); }},
        {"server deleted", [&] { delete server, server = nullptr; }},
    };
    services->processors = 2;
    for (const auto& row : rows) {
        delete server;
        server = new GDriverServer;
        const int made = services->made;
        uint32_t tickets[3] = {};
        for (uint32_t& ticket : tickets)
            server->Acquire(Identity(L"P"), ticket);
        uint32_t live = 0;
        server->Acquire(Identity(L"Q"), live);
        for (uint32_t ticket : tickets)
            server->Release(ticket);
        EXPECT_EQ(made, services->deleted) << row.name << ": the spares wait";
        row.end();
        EXPECT_EQ(made + (server ? 3 : 4), services->deleted) << row.name;
        if (server)
            server->Release(live);
    }
}

} // namespace
