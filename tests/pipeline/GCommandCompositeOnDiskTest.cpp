#include "pipeline/GCommandCompositeOnDisk.h"

#include "../printer/TestOSFactory.h"
#include "SpoolTempFolder.h"
#include "TempPath.h"
#include "printer/PrinterIdentity.h"
#include "foundation/RWBinaryFile.h"
#include "graphics/GFontDatabase.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/MPersistentComposite.h"
#include "StubProducer.h"
#include "pipeline/GNullCommand.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageFilterLock.h"
#include "pipeline/GPageStart.h"
#include "printer/GDriverObject.h"
#include "printer/GDriverServer.h"
#include "graphics/GGraphicBundle.h"
#include "printer/GPeripheral.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

namespace {

struct TestDrawing : GPersistent<TestDrawing, GCommand, 0x7606> {
    static constexpr const char* kClassName = "TestDrawing";
    explicit TestDrawing(uint32_t mark = 0) : mark(mark) {}
    int16_t Execute(GCommandHandler&) override { return 0; }
    auto StoredForm() { return GFields(mark); }
    uint32_t mark;
};

struct ModelPrinter : GPersistent<ModelPrinter, GPeripheral, 4002> {
    static constexpr const char* kClassName = "CommandListModelPrinter";
    auto StoredForm() { return GNoFields(); }
    ModelPrinter* CreateNew() const override { return new ModelPrinter; }
    ModelPrinter* Copy() const override { return new ModelPrinter(*this); }
    uint32_t QueryFlags() override { return 0; }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
};

// The job's font database, counting its loads and those under the lock.
struct CountingDatabase : GFontDatabase {
    using GFontDatabase::GFontDatabase;
    int LoadFromFile(const RWWString& name) override
    {
        loads++, underLock += GPageFilterLock::IsHeld();
        return GFontDatabase::LoadFromFile(name);
    }
    int loads = 0, underLock = 0;
};

// A producer (a secondary driver object) with its font database.
struct TestProducer : StubProducer {
    GDriverObject* GetSecondaryInterface() override { return this; }
    uint32_t GetProducerKey() const override { return 0; }
    GFontDatabase* GetFontPool() override { return &fonts; }
    CountingDatabase fonts{this};
};
struct ProducerServices : TestOSFactory {
    GDriverObject* CreateSecondaryDriverObject(const PrinterIdentity&) override { return new TestProducer; }
    void GetDriverDataFile(RWWString& path, GDriverObject*) override { path = Wide(model); }
    static RWWString Wide(const TempPath& path) { return std::wstring(path.str().begin(), path.str().end()).c_str(); }
    TempPath model{"command-list-model"};
};

// A closed page: page start, null command, drawings 11 to 13, page end.
GCommandCompositeOnDisk* SpooledPage(const TempPath& path, GState* state = nullptr)
{
    GCommandCompositeOnDisk* page = new GCommandCompositeOnDisk(ProducerServices::Wide(path), state, 1, 0);
    for (GCommand* command : std::initializer_list<GCommand*>{new GPageStart(1), new GNullCommand, new TestDrawing(11),
                                                              new TestDrawing(12), new TestDrawing(13), new GPageEnd(2)})
        page->AddRecord(command);
    page->Close();
    return page;
}

std::vector<uint32_t> Replay(GCommandCompositeOnDisk& page)
{
    std::vector<uint32_t> seen;
    std::unique_ptr<GObjectIterator> it(page.CreateIterator());
    for (GCountedRef command; it->Next() && (command = it->CurrentRef());)
        seen.push_back(command->ClassId() == 0x7606 ? static_cast<TestDrawing*>(command.Get())->mark : command->ClassId());
    return seen;
}

} // namespace

TEST(GCommandCompositeOnDisk, TakesCommandsOnlyAndKeepsItsStateApart)
{
    AllowTempSpoolFolder();
    TempPath path("page-state");
    GCommandCompositeOnDisk page(ProducerServices::Wide(path), 1, 0);
    page.AddRecord(new GStringAttribute("a", 6));
    EXPECT_TRUE(page.Entries() == 0 && page.IsKindOf(606) && !page.IsKindOf(605) && GNullCommand().IsKindOf(601));
    GState* states[] = {new GState(5), new GState(5)};
    states[1]->Add(new GStringAttribute("a", 1)), states[1]->Add(new GStringAttribute("a", 2));
    page.SetState(GCountedRef(states[0])), page.SetState(GCountedRef(states[1]));
    GCountedRef peeks[2], taken, again;
    page.PeekState(peeks[0]), page.PeekState(peeks[1]), page.GetState(taken), page.GetState(again);
    for (const GCountedRef& state : {peeks[0], peeks[1], taken})
        EXPECT_TRUE(state && state->GetId() == 406 && state->Entries() == 2) << "the second state took the first's place";
    EXPECT_FALSE(again);
}

TEST(GCommandCompositeOnDisk, ReplaysTwiceKeepsReplacementsAndGoesWithTheLastHolder)
{
    AllowTempSpoolFolder();
    TempPath path("page-replay");
    std::unique_ptr<GCommandCompositeOnDisk> page(SpooledPage(path));
    EXPECT_EQ(std::vector<uint32_t>({709, 712, 11, 12, 13, 710}), Replay(*page));
    std::unique_ptr<GObjectIterator> it(page->CreateIterator());
    for (int i = 0; i < 4; ++i)
        it->Next();
    it->ReplaceCurrentRef(GCountedRef(new TestDrawing(99)));
    it.reset();
    std::unique_ptr<GCommandCompositeOnDisk> copy(page->Copy());
    page.reset();
    EXPECT_EQ(std::vector<uint32_t>({709, 712, 11, 99, 13, 710}), Replay(*copy)) << "the copy still has the file";
    copy.reset();
    EXPECT_FALSE(RWBinaryFile::Exists(path.c_str()));
}

TEST(GCommandCompositeOnDisk, ReplayReloadsTheProducersFontsOnceUnderTheLock)
{
    ProducerServices* services = new ProducerServices;
    MPersistentComposite root;
    root.Add(new ModelPrinter), root.FindByClassId(4002)->SetId(353);
    *std::unique_ptr<GOutStreamHolder>(services->OpenFileOutputStream(ProducerServices::Wide(services->model), 1))
         ->GetStream() << &root;
    std::unique_ptr<GDriverServer> server(new GDriverServer);
    uint32_t ticket = 0;
    TestProducer* producer = dynamic_cast<TestProducer*>(
        server->AcquireSecondary(new PrinterIdentity(nullptr, L"P", L"Driver", L"FILE:", 0), ticket));
    ASSERT_NE(nullptr, producer);
    const RWCString hex = (std::stringstream() << std::hex << ticket).str().c_str();
    const struct { const char* fonts; RWCString key; int loads; } cases[] = {
        {"f.fnt", hex, 1}, {"", hex, 0}, {"f.fnt", "", 0}, {"f.fnt", hex + "g", 0}, {"f.fnt", hex + "0", 0}};
    for (const auto& c : cases) {
        producer->fonts.loads = producer->fonts.underLock = 0;
        GGraphicBundle* state = new GGraphicBundle;
        state->Add(new GStringAttribute(c.fonts, 407)), state->Add(new GStringAttribute(c.key, 408));
        AllowTempSpoolFolder();
        TempPath path("page-fonts");
        std::unique_ptr<GCommandCompositeOnDisk> page(SpooledPage(path, state));
        EXPECT_EQ(6u, Replay(*page).size());
        EXPECT_EQ(c.loads, producer->fonts.loads) << c.fonts << " " << c.key.Data();
        EXPECT_EQ(c.loads, producer->fonts.underLock);
    }
}
