// A spooled page about to be replayed makes the producer named in its state reload the
// page's fonts: the producer is a secondary object of the driver server, found by the
// key the page carries as hexadecimal text.
#include "pipeline/GCommandCompositeOnDisk.h"

#include "TempPath.h"
#include "TestOSFactory.h"
#include "entry/module/PrinterIdentity.h"
#include "graphics/GFontPool.h"
#include "model/GObjectIterator.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/MPersistentComposite.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GNullCommand.h"
#include "pipeline/GPageFilterLock.h"
#include "printer/GDriverObject.h"
#include "printer/GDriverServer.h"
#include "printer/GGraphicBundle.h"
#include "printer/GPeripheral.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// Counts its loads, and those made while the page filters' lock was held.
struct CountingFonts : GFontPool {
    int LoadFromFile(const RWWString& name) override
    {
        ++loads, underLock += GPageFilterLock::IsHeld();
        last = name.Data();
        return 1;
    }
    int loads = 0, underLock = 0;
    std::wstring last;
};

struct TestProducer : GDriverObject, GCommandProducer {
    GDriverObject* GetSecondaryInterface() override { return this; }
    uint32_t GetProducerKey() const override { return 0; }
    GFontPool* GetFontPool() override { return &fonts; }
    CountingFonts fonts;
};

class ReloadModelPrinter : public GPersistent<ReloadModelPrinter, GPeripheral, 4002> {
public:
    static constexpr const char* kClassName = "ReloadModelPrinter";
    ReloadModelPrinter* CreateNew() const override { return new ReloadModelPrinter; }
    ReloadModelPrinter* Copy() const override { return new ReloadModelPrinter(*this); }
    uint32_t QueryFlags() override { return 0; }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
};

// The services make producers as the server's objects of the second kind.
struct ProducerServices : TestOSFactory {
    GDriverObject* CreateSecondaryDriverObject(const PrinterIdentity&) override { return new TestProducer; }
    void GetDriverDataFile(RWWString& path, GDriverObject*) override { path = dataFile.c_str(); }
    std::wstring dataFile;
};

class PageFontReload : public testing::Test {
protected:
    void SetUp() override
    {
        services->dataFile.assign(model.str().begin(), model.str().end());
        WriteModel();
        producer = static_cast<TestProducer*>(
            server->AcquireSecondary(new PrinterIdentity(nullptr, L"P", L"Driver", L"FILE:", 0), ticket));
        ASSERT_NE(nullptr, producer);
    }
    void TearDown() override { delete server; }
    // The driver's data file that every new server object reads its model from.
    void WriteModel()
    {
        MPersistentComposite root;
        ReloadModelPrinter* printer = new ReloadModelPrinter;
        printer->SetId(353);
        root.Add(printer);
        for (long id : {191, 84, 194})
            root.Add(new GResourceMappingList(id));
        std::unique_ptr<GOutStreamHolder> out(services->OpenFileOutputStream(services->dataFile.c_str(), 1));
        *out->GetStream() << &root;
    }

    TempPath model{"reload-model"}, page{"reload-page"};
    ProducerServices* services = new ProducerServices;
    GDriverServer* server = new GDriverServer;
    TestProducer* producer = nullptr;
    uint32_t ticket = 0;
};

} // namespace

TEST_F(PageFontReload, LoadsThePageFontsOnceUnderTheLock)
{
    char key[16];
    std::snprintf(key, sizeof key, "%x", ticket);
    const struct {
        const char* fontFile;
        std::string key;
        int loads;
    } cases[] = {
        {"fonts.fnt", key, 1},
        {"", key, 0},
        {"fonts.fnt", "", 0},
        {"fonts.fnt", std::string(key) + "g", 0},
        {"fonts.fnt", ticket == 1 ? "2" : "1", 0},
    };
    for (const auto& c : cases) {
        producer->fonts = CountingFonts();
        GGraphicBundle* state = new GGraphicBundle;
        state->Add(new GStringAttribute(c.fontFile, GCommandCompositeOnDisk::kFontFileId));
        state->Add(new GStringAttribute(c.key.c_str(), GCommandCompositeOnDisk::kProducerKeyId));
        GCommandCompositeOnDisk spooled(RWWString(std::wstring(page.str().begin(), page.str().end()).c_str()), 1, 0);
        spooled.AdoptState(state);
        spooled.AddRecord(new GNullCommand);
        spooled.Close();
        std::unique_ptr<GObjectIterator> it(spooled.CreateIterator());
        EXPECT_EQ(c.loads, producer->fonts.loads) << c.fontFile << " " << c.key;
        EXPECT_EQ(c.loads, producer->fonts.underLock);
        EXPECT_EQ(c.loads ? L"fonts.fnt" : L"", producer->fonts.last);
        EXPECT_TRUE(it->Next());
        EXPECT_FALSE(GPageFilterLock::IsHeld());
    }
}
