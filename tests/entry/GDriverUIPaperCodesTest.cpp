// The paper-size translator over the driver UI object of the installed test printer: the
// generated model's media pool, the spooler's forms and the object's own paper
// conversions, with the configuration library stand-in holding the keywords.
#include "entry/driverui/GDriverUI.h"

#include "../settings/TranslatorFixture.h"
#include "DmcStandin.h"
#include "StandinFolderServices.h"
#include "RealDriverUIMaker.h"
#include "TestPrinter.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/ModuleLifetime.h"
#include "printer/PrinterIdentity.h"
#include "printer/GDriverServer.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "settings/devmode/GDriverDevMode.h"
#include "settings/translators/PaperSizeTranslator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

std::wstring Exported(DmcStandin& standin, const wchar_t* path)
{
    const std::wstring prefix = std::wstring(path) + L"=";
    std::wstring found = L"<none>";
    for (const std::wstring& line : standin.Exports(L""))
        if (line.compare(0, prefix.size(), prefix) == 0)
            found = line.substr(prefix.size());
    return found;
}

// Media from the spooler's forms carry codes from here on.
const uint16_t kFirstFormCode = 16384;

class PaperCodesOfTheRealModel : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        services_ = new StandinFolderServices;  // replaces (and deletes) the services before
        standin_ = new DmcStandin;
        services_->binding = true;
        library_ = new GDMCLibrary;
        services_->binding = false;
    }
    static void TearDownTestSuite()
    {
        delete library_;
        delete standin_;
        library_ = nullptr, standin_ = nullptr;
        new GUIOSFactory;  // plain services again for the suites after this one
        services_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        ASSERT_TRUE(standin_->Loaded());
        ASSERT_EQ(1u, library_->IsLoaded());
        standin_->Reset();
        ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
        previous = GUIOSFactory::GetDriverUIMaker();
        GUIOSFactory::SetDriverUIMaker(kRealMaker);
        object = ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(nullptr, name.c_str(), 1), ticket);
        ui = dynamic_cast<GDriverUI*>(object);
        ASSERT_NE(nullptr, ui);
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    }
    void TearDown() override
    {
        if (ticket)
            ModuleLifetime::DriverServer()->Release(ticket);
        GUIOSFactory::SetDriverUIMaker(previous);
        ModuleLifetime::Detach(false);
    }

    // The media ids of the model's pool at the DEVMODE's resolution, in pool order; the
    // spooler's own forms, which other tests add as custom sizes, left out.
    std::vector<uint16_t> PoolCodes()
    {
        std::vector<uint16_t> codes;
        GMediaPool* pool = ui->GetMediaAttribute();
        GDriverDevMode* devMode = ui->GetDevModeObject();
        if (!pool || !devMode)
            return codes;
        std::unique_ptr<GMediaIterator> it(pool->CreateMediaIterator(
            0, devMode->GetXResolution(), devMode->GetYResolution(), {0, 0}, {32767, 32767}));
        while (it && it->Next())
            if (GMedia* media = it->CurrentMedia())
                if (media->GetMediaId() < kFirstFormCode &&
                    std::find(codes.begin(), codes.end(), media->GetMediaId()) == codes.end())
                    codes.push_back(media->GetMediaId());
        return codes;
    }

    const TestPrinter& printer = TestPrinter::Shared();
    std::wstring name = printer.Name();
    GDriverUIMaker previous{};
    uint32_t ticket = 0;
    GDriverObject* object = nullptr;
    GDriverUI* ui = nullptr;

    inline static StandinFolderServices* services_ = nullptr;
    inline static DmcStandin* standin_ = nullptr;
    inline static GDMCLibrary* library_ = nullptr;
};

TEST_F(PaperCodesOfTheRealModel, TheDriverUIAnswersThePaperSizeTranslatorsConversions)
{
    EXPECT_NE(nullptr, dynamic_cast<GPaperCodeSource*>(object));
}

TEST_F(PaperCodesOfTheRealModel, EveryPaperOfThePoolImportsItsCodeAndExportsItsKeyword)
{
    const struct {
        uint16_t code;
        const wchar_t* keyword;
    } rows[] = {{1, L"LETTER"}, {6, L"LEGAL"},  {17, L"EXECUTIVE"}, {23, L"A4"},    {27, L"A5"},
                {40, L"B5_JIS"}, {8, L"ENV_10"}, {15, L"ENV_DL"},    {13, L"ENV_C5"}};
    std::vector<uint16_t> expected;
    for (const auto& row : rows)
        expected.push_back(row.code);
    std::vector<uint16_t> pool = PoolCodes();
    std::sort(expected.begin(), expected.end());
    std::sort(pool.begin(), pool.end());
    ASSERT_EQ(expected, pool) << "the generated model's media pool";

    GObjectBase* tree = ui->GetDevModeObject()->GetSettingsTree();
    ASSERT_NE(-1, TranslatorTest::ValueOf(tree, 260));
    const int original = TranslatorTest::ValueOf(tree, 260);
    PaperSizeTranslator translator(*library_, object, 0);
    for (const auto& row : rows) {
        standin_->Reset();
        standin_->SetFeature(L"printing/PaperSize", row.keyword);
        GDriverObject::Feature<GValueAttribute>(tree, 260)->SetValue(0);
        GAttributeComposite changes(1101);
        EXPECT_EQ(1, translator.ToAttributes(tree, &changes)) << row.code;
        EXPECT_EQ(row.code, TranslatorTest::ValueOf(tree, 260)) << row.code;
        EXPECT_EQ((std::vector<std::pair<long, int>>{{260, row.code}, {1111, 0}}), TranslatorTest::Members(&changes))
            << row.code;

        standin_->Reset();
        EXPECT_EQ(1, translator.FromAttributes(tree)) << row.code;
        EXPECT_EQ(row.keyword, Exported(*standin_, L"printing/PaperSize")) << row.code;
    }
    GDriverObject::Feature<GValueAttribute>(tree, 260)->SetValue(uint16_t(original));
}

} // namespace
