// The configuration update against the real spooler of the test prefix: the stamps and
// the quick sets it writes are read back with the spooler's own calls.
#include "TranslatorFixture.h"
#include "TestPrinter.h"

#include "printer/GWin32OSFactory.h"
#include "settings/dmc/FeatureTranslator.h"
#include "settings/dmc/GDriverDMCConfig.h"

#include <memory>

using namespace TranslatorTest;

namespace {

// The Windows services, with the stand-ins' folder as the module's and no registration
// program run.
class SpoolerServices : public GWin32OSFactory {
public:
    void* GetPrinterHandle(GDriverObject*) override { return nullptr; }
    void GetModuleDirectory(RWWString& path) override { path = RWWString(DmcStandin::Folder().c_str()); }
    uint32_t RunCommand(const RWWString&, int) override { return 33; }
};

const uint32_t kEconoPath[] = {362, 252};
const TranslatorOption kEconoRows[] = {{0, L"FALSE"}, {1, L"TRUE"}};
const TranslatorDescription kEcono = {L"printing/EconoMode", nullptr, kEconoPath, 2, TranslatorRecord::kCopy,
                                      255, TranslatorLock::kNone, 0, false, kEconoRows, 2, false};
FeatureTranslator* MakeEcono(GDMCConfig& c, const wchar_t*) { return new DescribedTranslator(c.Library(), kEcono); }
const FeatureKey kRows[] = {{L"EconoMode", MakeEcono}};
const FeatureKeyTable kTable = {kRows, 1};

std::wstring SpoolerString(HANDLE printer, const wchar_t* name)
{
    wchar_t text[128] = {};
    DWORD type = 0, needed = 0;
    if (GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, reinterpret_cast<BYTE*>(text), sizeof text - 2,
                        &needed) != ERROR_SUCCESS || type != REG_SZ)
        return L"<absent>";
    return text;
}

TEST(DriverConfigSpooler, UpdateStampsAndQuicksetsReadBackFromTheSpooler)
{
    ASSERT_TRUE(TestPrinter::Shared().Installed()) << TestPrinter::Shared().Failure();
    DmcStandin standin;
    ASSERT_TRUE(standin.Loaded());
    standin.SetFeature(L"printing/EconoMode", L"TRUE");
    new SpoolerServices;
    const std::wstring name = TestPrinter::Shared().Name();
    GDMCConfig::featureKeys = &kTable;
    {
        std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {Value(252, 0)}), Group(366, {Group(1102, {})})}));
        GDriverObject driver(name.c_str());
        GOSFactory::Instance()->SetPrinterDataString(&driver, L"Stale", L"FALSE");
        GDriverDMCConfig config(tree.get(), &driver);
        EXPECT_EQ(1, config.Update(name.c_str(), 0));
    }
    GDMCConfig::featureKeys = &GDMCConfig::kFeatureKeys;

    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &printer, nullptr));
    const std::wstring stamp = SpoolerString(printer, L"DMCLastUpdate");
    std::tm now{};
    int16_t bias = 0;
    std::tm shifted{};
    GOSFactory::Instance()->GetLocalAndShiftedTime(now, shifted, bias);
    wchar_t expected[32];
    swprintf(expected, 32, L"%2.2d/ %2.2d/ %4.4d", now.tm_mon + 1, now.tm_mday, now.tm_year + 1900);
    EXPECT_EQ(std::wstring(expected), stamp);
    DWORD type = 0, needed = 0;
    BYTE chunk[256];
    EXPECT_EQ(DWORD(ERROR_SUCCESS), GetPrinterDataW(printer, const_cast<wchar_t*>(L"DMCQuickset:0"), &type, chunk,
                                                    sizeof chunk, &needed));
    EXPECT_EQ(DWORD(REG_BINARY), type);
    ClosePrinter(printer);

    GDriverObject driver(name.c_str());
    std::unique_ptr<GObjectBase> stored(GOSFactory::Instance()->LoadObjectFromPrinterData(&driver, L"DMCQuickset", 0));
    ASSERT_NE(nullptr, stored);
    EXPECT_EQ((std::vector<std::pair<long, int>>{{252, 1}}), Members(stored.get()));
}

} // namespace
