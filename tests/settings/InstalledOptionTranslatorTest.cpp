// The installed-option translators of the physical section: model codes kept as text, the
// devices they mark installed, the memory's dependent value and the plain tables.
#include "TranslatorFixture.h"

#include "printer/GPaperHandlingDevice.h"
#include "settings/translators/AccessoryOutputBinsTranslator.h"
#include "settings/translators/DeviceIsZadidiTranslator.h"
#include "settings/translators/DriverWorkSpaceSettingTranslator.h"
#include "settings/translators/DuplexUnitTranslator.h"
#include "settings/translators/EnvFeederTranslator.h"
#include "settings/translators/JobRetentionAvailableTranslator.h"
#include "settings/translators/JobRetentionTranslator.h"
#include "settings/translators/MemoryTranslator.h"
#include "settings/translators/OptionalPaperSourcesTranslator.h"
#include "settings/translators/PrinterHardDiskTranslator.h"
#include "settings/translators/ScaleFromLargePaperTranslator.h"

#include <cwchar>
#include <memory>
#include <string>

using namespace TranslatorTest;

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

std::string TextOf(GObjectBase* tree, long id)
{
    GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(tree, id);
    return text ? std::string(text->GetString().Data(), text->GetString().Length()) : "<absent>";
}

// A driver whose configuration lists the devices "W1908" (mode 1), "K5930" (mode 0) and "Tray 3" (mode 1).
class DeviceDriver : public Driver {
public:
    DeviceDriver()
    {
        GConfiguration* configuration = GetPrinterConfiguration();
        auto* devices = new GAttributeComposite(FeatureId::kInputDevices);
        devices->Add(new GPaperHandlingDevice("W1908", GPaperHandlingDevice::kOutput, 1, 0, 0, 0, 1));
        devices->Add(new GPaperHandlingDevice("K5930", GPaperHandlingDevice::kOutput, 0, 3, 0, 0, 2));
        devices->Add(new GPaperHandlingDevice("Tray 3", GPaperHandlingDevice::kInput, 1, 0, 0, 0, 3));
        configuration->Add(devices);
    }
    uint32_t CountOf(const char* name)
    {
        GObjectBase* devices = GetPrinterConfiguration()->FindById(FeatureId::kInputDevices);
        uint32_t count = 0xFFFF;
        GObjectIterator* it = devices->CreateIterator();
        while (it->Next())
            if (static_cast<GPaperHandlingDevice*>(it->Current())->GetName() == RWCString(name))
                count = static_cast<GPaperHandlingDevice*>(it->Current())->GetCount();
        delete it;
        return count;
    }
};

std::unique_ptr<GObjectBase> Physical()
{
    return std::unique_ptr<GObjectBase>(Group(
        360, {Group(365, {Text(316, "old"), Text(315, "old"), Value(311, 0), Value(981, 0), Value(925, 64),
                          Value(307, 1234), Value(915, 7), Value(202, 5)})}));
}

class InstalledOptions : public Suite {
protected:
    GAttributeComposite changes{1101};
};

TEST_F(InstalledOptions, FinisherCodeIsStoredSetsBothFlagsAndCountsItsDevice)
{
    DeviceDriver driver;
    std::unique_ptr<GObjectBase> tree = Physical();
    Standin().SetFeature(L"physical/AccessoryOutputBins", L"W1908");
    AccessoryOutputBinsTranslator translator(Library(), &driver);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ("W1908", TextOf(tree.get(), 316));
    EXPECT_EQ(1, ValueOf(tree.get(), 311));
    EXPECT_EQ(1, ValueOf(tree.get(), 981));
    EXPECT_EQ(1u, driver.CountOf("W1908"));
    EXPECT_EQ(0u, driver.CountOf("Tray 3"));
    EXPECT_TRUE(Members(&changes).empty());
}

TEST_F(InstalledOptions, EveryStaplerCodeMarksTheStaplerAndOnlyTheFinisherBoth)
{
    ASSERT_EQ(6u, sizeof AccessoryOutputBinsTranslator::kStaplers / sizeof AccessoryOutputBinsTranslator::kStaplers[0]);
    const struct {
        const wchar_t* code;
        int stapler;
        int finisher;
    } rows[] = {{L"K5931", 1, 0}, {L"W1905", 1, 0},  {L"W1908", 1, 1}, {L"K6375A", 1, 0},
                {L"K6375", 1, 0}, {L"K2817", 1, 0},  {L"K5930", 0, 0}, {L"K6375B", 0, 0}};
    for (const auto& row : rows) {
        Standin().Reset();
        DeviceDriver driver;
        std::unique_ptr<GObjectBase> tree = Physical();
        Standin().SetFeature(L"physical/AccessoryOutputBins", row.code);
        AccessoryOutputBinsTranslator translator(Library(), &driver);
        const std::string code(row.code, row.code + std::wcslen(row.code));
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr)) << code;
        EXPECT_EQ(code, TextOf(tree.get(), 316));
        EXPECT_EQ(row.stapler, ValueOf(tree.get(), 311)) << code;
        EXPECT_EQ(row.finisher, ValueOf(tree.get(), 981)) << code;
        EXPECT_EQ(1, translator.FromAttributes(tree.get())) << code;
        EXPECT_EQ(row.code, Exported(Standin(), L"physical/AccessoryOutputBins"));
    }
}

TEST_F(InstalledOptions, DeviceOfModeZeroKeepsItsCount)
{
    DeviceDriver driver;
    std::unique_ptr<GObjectBase> tree = Physical();
    const uint32_t before = driver.CountOf("K5930");
    Standin().SetFeature(L"physical/AccessoryOutputBins", L"K5930");
    AccessoryOutputBinsTranslator translator(Library(), &driver);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ("K5930", TextOf(tree.get(), 316));
    EXPECT_EQ(before, driver.CountOf("K5930"));
    EXPECT_EQ(0, ValueOf(tree.get(), 311)); // not a stapler
}

TEST_F(InstalledOptions, NotInstalledAndEmptyTextTravelBothWays)
{
    DeviceDriver driver;
    std::unique_ptr<GObjectBase> tree = Physical();
    Standin().SetFeature(L"physical/AccessoryOutputBins", L"NotInstalled");
    AccessoryOutputBinsTranslator translator(Library(), &driver);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ("", TextOf(tree.get(), 316));
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"NotInstalled", Exported(Standin(), L"physical/AccessoryOutputBins"));

    Standin().SetFeature(L"physical/OptionalPaperSources", L"None");
    OptionalPaperSourcesTranslator sources(Library(), &driver);
    EXPECT_EQ(1, sources.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ("", TextOf(tree.get(), 315));
    EXPECT_EQ(1, sources.FromAttributes(tree.get()));
    EXPECT_EQ(L"None", Exported(Standin(), L"physical/OptionalPaperSources"));
}

// Codes that name no device, also those that only start a device's name.
TEST_F(InstalledOptions, UnknownCodeIsStoredAndNoCountChanges)
{
    for (const wchar_t* code : {L"X9999", L"Tray", L"W190"}) {
        const std::string narrow(code, code + std::wcslen(code));
        SCOPED_TRACE(narrow);
        Standin().Reset();
        DeviceDriver driver;
        std::unique_ptr<GObjectBase> tree = Physical();
        Standin().SetFeature(L"physical/OptionalPaperSources", code);
        OptionalPaperSourcesTranslator translator(Library(), &driver);
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
        EXPECT_EQ(narrow, TextOf(tree.get(), 315));
        EXPECT_EQ(0u, driver.CountOf("W1908"));
        EXPECT_EQ(0u, driver.CountOf("Tray 3"));
        EXPECT_EQ(1, translator.FromAttributes(tree.get()));
        EXPECT_EQ(code, Exported(Standin(), L"physical/OptionalPaperSources"));
    }
}

TEST_F(InstalledOptions, WithoutADriverTheCodeIsStillStored)
{
    std::unique_ptr<GObjectBase> tree = Physical();
    Standin().SetFeature(L"physical/OptionalPaperSources", L"Tray 3");
    OptionalPaperSourcesTranslator translator(Library(), nullptr);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ("Tray 3", TextOf(tree.get(), 315));
}

// A text from the printer's data longer than the 128-byte narrow buffers: cut at 127
// characters both ways instead of running past them.
TEST_F(InstalledOptions, LongModelCodeIsCutAt127Characters)
{
    std::unique_ptr<GObjectBase> tree = Physical();
    const std::string longCode(300, 'K');
    GDriverObject::Feature<GStringAttribute>(tree.get(), 316)->SetString(longCode.c_str());
    AccessoryOutputBinsTranslator translator(Library(), nullptr);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(std::wstring(127, L'K'), Exported(Standin(), L"physical/AccessoryOutputBins"));

    Standin().SetFeature(L"physical/AccessoryOutputBins", std::wstring(200, L'W').c_str());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(std::string(127, 'W'), TextOf(tree.get(), 316));
}

TEST_F(InstalledOptions, TextOfAnotherClassCountsAsMissing)
{
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Value(316, 1)})}));
    Standin().SetFeature(L"physical/AccessoryOutputBins", L"W1908");
    AccessoryOutputBinsTranslator translator(Library(), nullptr);
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
    EXPECT_TRUE(Standin().Log().empty());
}

TEST_F(InstalledOptions, MemoryMovesTheDependentValueByHalfTheChange)
{
    std::unique_ptr<GObjectBase> tree = Physical();
    Standin().SetFeature(L"physical/Memory", L"128");
    MemoryTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(128, ValueOf(tree.get(), 925));
    EXPECT_EQ(4400, ValueOf(tree.get(), 307));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{925, 128}, {307, 4400}}), Members(&changes));

    Standin().SetFeature(L"physical/Memory", L"64");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(1200, ValueOf(tree.get(), 307));

    Standin().SetFeature(L"physical/Memory", L"65");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(1200, ValueOf(tree.get(), 307));

    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"65", Exported(Standin(), L"physical/Memory"));
}

TEST_F(InstalledOptions, MemoryOfZeroOrNotANumberChangesNothing)
{
    for (const wchar_t* keyword : {L"0", L"x", L""}) {
        std::unique_ptr<GObjectBase> tree = Physical();
        Standin().SetFeature(L"physical/Memory", keyword);
        MemoryTranslator translator(Library());
        EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
        EXPECT_EQ(64, ValueOf(tree.get(), 925));
        EXPECT_EQ(1234, ValueOf(tree.get(), 307));
    }
    EXPECT_TRUE(Members(&changes).empty());
}

TEST(MemoryFormula, TruncatesTowardZeroAndKeepsLow16Bits)
{
    EXPECT_EQ(4400, MemoryTranslator::AdjustDependent(1234, 64, 128));
    EXPECT_EQ(1200, MemoryTranslator::AdjustDependent(4400, 128, 64));
    EXPECT_EQ(4400, MemoryTranslator::AdjustDependent(4450, 65, 64)); // -50/100 is 0
    EXPECT_EQ(uint16_t((0 - 32) * 100), MemoryTranslator::AdjustDependent(0, 64, 0));
}

TEST_F(InstalledOptions, ScaleFromLargePaperTakesOnlyUpperCaseTrue)
{
    const struct {
        const wchar_t* keyword;
        int value;
    } cases[] = {{L"TRUE", 1}, {L"true", 0}, {L"FALSE", 0}, {L"", 0}};
    for (const auto& c : cases) {
        std::unique_ptr<GObjectBase> tree = Physical();
        Standin().SetFeature(L"physical/ScaleFromLargePaper", c.keyword);
        ScaleFromLargePaperTranslator translator(Library());
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes)) << c.keyword;
        EXPECT_EQ(c.value, ValueOf(tree.get(), 915)) << c.keyword;
        EXPECT_EQ(1, translator.FromAttributes(tree.get()));
        EXPECT_EQ(c.value ? L"TRUE" : L"FALSE", Exported(Standin(), L"physical/ScaleFromLargePaper"));
    }
    EXPECT_TRUE(Members(&changes).empty());
}

TEST_F(InstalledOptions, WorkSpaceExportFindsItsValueAnywhereOnceTheDeviceSettingsExist)
{
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {}), Group(364, {Value(202, 12)})}));
    DriverWorkSpaceSettingTranslator translator(Library());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"12", Exported(Standin(), L"physical/DriverWorkSpaceSetting"));
    Standin().SetFeature(L"physical/DriverWorkSpaceSetting", L"40");
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), nullptr)); // the import walks 365 / 202
    std::unique_ptr<GObjectBase> without(Group(360, {Group(364, {Value(202, 12)})}));
    EXPECT_EQ(0, translator.FromAttributes(without.get()));
}

TEST_F(InstalledOptions, DuplexUnitExportsUnderTheLowerCasePath)
{
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Value(308, 1)})}));
    DuplexUnitTranslator translator(Library());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"Installed", Exported(Standin(), L"physical/duplexunit"));
    EXPECT_EQ(L"<none>", Exported(Standin(), L"physical/DuplexUnit"));
}

} // namespace
