#include "printer/GDriverServer.h"

#include "ChildProcess.h"
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
    int FreeMemory() override { return freeMemory ? freeMemory() : 0; }
    PrinterIdentity identity;
    std::atomic<int>* deleted;
    std::function<void()> probe;
    std::function<int()> freeMemory;
    int resets = 0;
};

struct ServerServices : TestOSFactory {
    GDriverObject* CreateDriverObject(const PrinterIdentity& id) override { return ++made, new TestDriver(id, &deleted, probe); }
    GDriverObject* CreateSecondaryDriverObject(const PrinterIdentity& id) override { return CreateDriverObject(id); }
    void GetDriverDataFile(RWWString& path, GDriverObject*) override { path = dataFile.c_str(); }
    std::wstring dataFile;
    std::atomic<int> made{0}, deleted{0};
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

TEST_F(GDriverServerTest, KeepsTheLastReleasedObjectForTheSamePrinter)
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
    EXPECT_EQ(1, services->deleted) << "the second release deletes the kept object";
    EXPECT_NE(b, server->Acquire(Identity(L"Q"), other));
    EXPECT_EQ(b, server->Acquire(Identity(L"P"), second)) << "another printer leaves the kept object kept";
    server->Release(other), server->Release(second);
    EXPECT_EQ(2, services->deleted);
    EXPECT_EQ(3, services->made);
    EXPECT_EQ(1, server->FlushKept());
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

} // namespace
