// Fonts across spooling: a font reference saved and restored through the driver server
// and its producer's font database, and a spooled page that reloads its fonts from its
// font spool file before it is replayed.
#include "../graphics/TestFonts.h"
#include "../model/StoredForms.h"
#include "../printer/TestOSFactory.h"
#include "SpoolTempFolder.h"
#include "TempPath.h"

#include "printer/PrinterIdentity.h"
#include "graphics/GFontDatabase.h"
#include "graphics/GTextStringGraphic.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/MPersistentComposite.h"
#include "pipeline/GCommandCompositeOnDisk.h"
#include "StubProducer.h"
#include "pipeline/GNullCommand.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "printer/GDriverObject.h"
#include "printer/GDriverServer.h"
#include "graphics/GGraphicBundle.h"
#include "printer/GPeripheral.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

struct SpoolModelPrinter : GPersistent<SpoolModelPrinter, GPeripheral, 4003> {
    static constexpr const char* kClassName = "FontSpoolModelPrinter";
    SpoolModelPrinter* CreateNew() const override { return new SpoolModelPrinter; }
    SpoolModelPrinter* Copy() const override { return new SpoolModelPrinter(*this); }
    auto StoredForm() { return GNoFields(); }
    uint32_t QueryFlags() override { return 0; }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
};

// The job's producer stand-in: a secondary driver object known to the server by its key.
struct FontProducer : StubProducer {
    GDriverObject* GetSecondaryInterface() override { return this; }
    uint32_t GetProducerKey() const override { return key; }
    GFontDatabase* GetFontPool() override { return &fonts; }
    uint32_t key = 0;
    GFontDatabase fonts{this};
};

struct FontServices : TestOSFactory {
    GDriverObject* CreateSecondaryDriverObject(const PrinterIdentity&) override { return new FontProducer; }
    void GetDriverDataFile(RWWString& path, GDriverObject*) override { path = Wide(model); }
    static RWWString Wide(const TempPath& path) { return std::wstring(path.str().begin(), path.str().end()).c_str(); }
    TempPath model{"font-spool-model"};
};

// A driver server with one producer registered under its key.
class FontSpool : public testing::Test {
protected:
    void SetUp() override
    {
        services_ = new FontServices;
        MPersistentComposite root;
        root.Add(new SpoolModelPrinter), root.FindByClassId(4003)->SetId(353);
        *std::unique_ptr<GOutStreamHolder>(services_->OpenFileOutputStream(FontServices::Wide(services_->model), 1))
             ->GetStream() << &root;
        server_.reset(new GDriverServer);
        producer_ = dynamic_cast<FontProducer*>(
            server_->AcquireSecondary(new PrinterIdentity(nullptr, L"P", L"Driver", L"FILE:", 0), producer_key_));
        ASSERT_NE(nullptr, producer_);
        producer_->key = producer_key_;
    }

    void TearDown() override { server_.reset(); }

    static TestFontReference* Restored(const std::vector<uint8_t>& bytes)
    {
        RWCollectable* back = RestoredFromBytes(bytes);
        TestFontReference* reference = dynamic_cast<TestFontReference*>(back);
        if (!reference)
            delete back;
        return reference;
    }

    FontServices* services_ = nullptr;
    std::unique_ptr<GDriverServer> server_;
    FontProducer* producer_ = nullptr;
    uint32_t producer_key_ = 0;
};

} // namespace

TEST_F(FontSpool, ASavedReferenceComesBackOnItsProducersFont)
{
    TestFont* font = new TestFont(9, "Spooled");
    TestFontReference reference(font, producer_);
    font->SetUseCounter(4);
    const std::vector<uint8_t> bytes = SavedBytes(&reference);
    EXPECT_EQ(1u, font->IsUsed()) << "saving marks the font used";
    EXPECT_EQ(1, producer_->fonts.Contains(font->GetFontId())) << "and puts it into the producer's database";
    EXPECT_EQ(reference.RecursiveStoreSize(), bytes.size());

    std::unique_ptr<TestFontReference> found(Restored(bytes));
    ASSERT_TRUE(found);
    EXPECT_EQ(font, found->GetFont());
    EXPECT_EQ(producer_, found->GetOwner());
    EXPECT_EQ(3, font->GetUserCount()) << "two references and the database";
    EXPECT_TRUE(found->IsSame(&reference));

    font->SetUseCounter(3);
    std::unique_ptr<TestFontReference> stale(Restored(bytes));
    ASSERT_TRUE(stale);
    EXPECT_EQ(nullptr, stale->GetFont()) << "the database's font is older than the one saved";

    font->SetUseCounter(4);
    producer_->fonts.Release(font->GetFontId());
    std::unique_ptr<TestFontReference> absent(Restored(bytes));
    ASSERT_TRUE(absent);
    EXPECT_EQ(nullptr, absent->GetFont()) << "the database no longer holds it";

    producer_->fonts.Add(font);
    producer_->key = producer_key_ + 1000;
    const std::vector<uint8_t> unknown = SavedBytes(&reference);
    std::unique_ptr<TestFontReference> ownerless(Restored(unknown));
    ASSERT_TRUE(ownerless);
    EXPECT_EQ(nullptr, ownerless->GetOwner()) << "no driver object has that key";
    EXPECT_EQ(nullptr, ownerless->GetFont());
    producer_->key = producer_key_;
}

TEST_F(FontSpool, AReplayedPageReloadsItsFontsThroughTheDatabase)
{
    AllowTempSpoolFolder();
    TempPath pagePath("font-page.rpg"), fontPath("font-page.rft");
    uint32_t fontId = 0;
    const RWCString key = (std::stringstream() << std::hex << producer_key_).str().c_str();
    GGraphicBundle* state = new GGraphicBundle;
    state->Add(new GStringAttribute(fontPath.c_str(), 407)), state->Add(new GStringAttribute(key, 408));
    std::unique_ptr<GCommandCompositeOnDisk> page(
        new GCommandCompositeOnDisk(FontServices::Wide(pagePath), state, 1, 0));
    {
        TestFont* font = new TestFont(9, "Replayed");
        fontId = font->GetFontId();
        uint16_t chars[] = {'o', 'k'};
        GPoint at[] = {{5, 6}, {15, 6}};
        page->AddRecord(new GPageStart(1));
        page->AddRecord(new GTextStringGraphic(new TestFontReference(font, producer_), chars, 0, GEncoding::kUnicode,
                                               at, 0, 2, nullptr));
        page->AddRecord(new GPageEnd(2));
        page->Close();
        ASSERT_EQ(1, producer_->fonts.SaveToFile(FontServices::Wide(fontPath)));
    }
    // The job's database lets go of the font, as at the end of a document.
    producer_->fonts.ReleaseJob();
    ASSERT_EQ(0, producer_->fonts.Contains(fontId));

    std::unique_ptr<GObjectIterator> it(page->CreateIterator());
    ASSERT_TRUE(it);
    int texts = 0;
    for (GCountedRef command; it->Next() && (command = it->CurrentRef());) {
        GTextStringGraphic* text = dynamic_cast<GTextStringGraphic*>(command.Get());
        if (!text)
            continue;
        ++texts;
        ASSERT_TRUE(text->GetFont());
        ASSERT_TRUE(text->GetFont()->GetFont()) << "the font came back from the font spool file";
        EXPECT_EQ(fontId, text->GetFont()->GetFont()->GetFontId());
        EXPECT_EQ(std::string("Replayed"), text->GetFont()->GetFaceName().Data());
        EXPECT_EQ('k', text->GetText()->GetChar(1));
    }
    EXPECT_EQ(1, texts);
    EXPECT_EQ(FontServices::Wide(fontPath), producer_->fonts.GetCurrentFile());
    it.reset();
    page.reset();
    producer_->fonts.Close();
    EXPECT_FALSE(RWBinaryFile::Exists(fontPath.c_str())) << "the database removes the files it wrote";
}
