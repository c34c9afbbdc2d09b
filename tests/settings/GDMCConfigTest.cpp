#include "TranslatorFixture.h"

#include "settings/dmc/FeatureTranslator.h"
#include "settings/dmc/GDriverDMCConfig.h"
#include "settings/dmc/GlossyPapers.h"

#include <memory>

using namespace TranslatorTest;

namespace {

const wchar_t kPrinter[] = L"Colour Laser";
// The print registry root the machine's printers and connections live under.
const std::wstring kMachinePrinters = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";
const std::wstring kMachineConnections = kMachinePrinters + L"Connections\\";

// The test program's answer to the helper library, and what it was handed.
uint32_t g_helperRecord[5];
short g_helperAnswer = 0;

} // namespace

extern "C" __declspec(dllexport) short __cdecl QzTestDmcHelper(uint32_t* record)
{
    for (int i = 0; i < 5; ++i)
        g_helperRecord[i] = record[i];
    return g_helperAnswer;
}

namespace {

// Economy mode as the test tables import it (362 / 252).
const uint32_t kEconoPath[] = {362, 252};
const TranslatorOption kEconoRows[] = {{0, L"FALSE"}, {1, L"TRUE"}};
const TranslatorDescription kEcono = {L"printing/EconoMode", nullptr, kEconoPath, 2, TranslatorRecord::kCopy,
                                      255, TranslatorLock::kNone, 0, false, kEconoRows, 2, false};
// The duplex unit as a physical feature (365 / 990).
const uint32_t kUnitPath[] = {365, 990};
const TranslatorOption kUnitRows[] = {{0, L"NotInstalled"}, {1, L"Installed"}};
const TranslatorDescription kUnit = {L"physical/DuplexUnit", nullptr, kUnitPath, 2, TranslatorRecord::kNone,
                                     255, TranslatorLock::kNone, 0, false, kUnitRows, 2, false};

class Zero : public FeatureTranslator {
public:
    using FeatureTranslator::FeatureTranslator;
    int32_t ToAttributes(GObjectBase*, GAttributeComposite*) override { return 0; }
    int32_t FromAttributes(GObjectBase*) override { return 0; }
};

FeatureTranslator* MakeEcono(GDMCConfig& c, const wchar_t*) { return new DescribedTranslator(c.Library(), kEcono); }
FeatureTranslator* MakeUnit(GDMCConfig& c, const wchar_t*) { return new DescribedTranslator(c.Library(), kUnit); }
FeatureTranslator* MakeZero(GDMCConfig& c, const wchar_t*) { return new Zero(c.Library()); }

const FeatureKey kTestRows[] = {{L"EconoMode", MakeEcono}, {L"DuplexUnit", MakeUnit}};
const FeatureKeyTable kTestTable = {kTestRows, 2};
const FeatureKey kZeroRows[] = {{L"DuplexUnit", MakeZero}, {L"EconoMode", MakeZero}};
const FeatureKeyTable kZeroTable = {kZeroRows, 2};

GObjectBase* Settings(uint16_t adjust = 0, const char* media = "Plain", uint16_t fixed = 0, bool withAdjust = true)
{
    auto* job = Group(362, {Value(252, 0), Group(249, {Value(323, 1), Value(324, 1)}), Value(1029, 0)});
    if (withAdjust)
        job->Add(Value(901, adjust));
    return Group(360, {job, Group(364, {Text(261, media), Value(264, fixed)}), Group(365, {Value(990, 0)}),
                       Group(366, {Group(1102, {})})});
}

class ConfigReader : public ::testing::Test {
protected:
    void SetUp() override
    {
        services = &Services::Make();
        ASSERT_TRUE(standin.Loaded());
        GDMCConfig::featureKeys = &kTestTable;
        savedBundles = GDMCConfig::bundlesMaker;
        g_helperAnswer = 0;
    }
    void TearDown() override
    {
        GDMCConfig::featureKeys = &GDMCConfig::kFeatureKeys;
        GDMCConfig::bundlesMaker = savedBundles;
    }
    // Opens the configuration as the update does.
    void Open(GDMCConfig& config) { config.Library().StartConfig(kPrinter, 0, DMCAbi::kDriverContext, 0); }

    Services* services = nullptr;
    TranslatorMaker savedBundles = nullptr;
    DmcStandin standin;
    Driver driver;
    std::unique_ptr<GObjectBase> tree{Settings()};
};

TEST_F(ConfigReader, PrinterNameGivesItsThreeForms)
{
    GDriverDMCConfig config(tree.get(), &driver);
    config.SetPrinterName(L"\\\\srv\\p,extra");
    EXPECT_STREQ(L"\\\\srv\\p", config.GetFullName().Data());
    EXPECT_STREQ(L"p", config.GetShortName().Data());
    EXPECT_STREQ(L",,srv,p", config.GetCommaForm().Data());
    EXPECT_STREQ(L",,srv,p", config.GetPrinterName().Data());
    config.SetPrinterName(L"Local");
    EXPECT_STREQ(L"Local", config.GetPrinterName().Data());
    EXPECT_STREQ(L"Local", config.GetShortName().Data());
}

TEST_F(ConfigReader, LocalPrinterIsStaleOnlyWhenItsOwnStaleReadsTRUE)
{
    GDriverDMCConfig config(tree.get(), &driver);
    config.SetPrinterName(kPrinter);
    EXPECT_EQ(0, config.IsConnectionStale()); // missing
    services->SetPrinterDataString(&driver, L"Stale", L"true");
    EXPECT_EQ(0, config.IsConnectionStale());
    services->SetPrinterDataString(&driver, L"Stale", L"TRUE");
    EXPECT_EQ(1, config.IsConnectionStale());
    services->SetPrinterDataString(&driver, L"Stale", L"FALSE");
    EXPECT_EQ(0, config.IsConnectionStale());
}

TEST_F(ConfigReader, MachineConnectionsReadStaleByShortNameThenByFullName)
{
    GDriverDMCConfig config(tree.get(), &driver);
    config.SetPrinterName(L"\\\\srv\\p");
    // Under the print registry root: the same keys at the registry's root are not read.
    services->machineKeys = {L"Printers\\Connections\\p"};
    services->registry[L"p\\PrinterDriverData\\Stale"] = L"TRUE";
    EXPECT_EQ(0, config.IsConnectionStale()); // a local printer, not stale by its own data
    services->machineKeys = {kMachineConnections + L"p"};
    EXPECT_EQ(0, config.IsConnectionStale());
    services->registry.clear();
    EXPECT_EQ(0, config.IsConnectionStale());
    services->registry[kMachinePrinters + L"p\\PrinterDriverData\\Stale"] = L"TRUE";
    EXPECT_EQ(1, config.IsConnectionStale());
    services->machineKeys = {kMachineConnections + L",,srv,p"};
    EXPECT_EQ(0, config.IsConnectionStale());
    services->registry[kMachinePrinters + L"\\\\srv\\p\\PrinterDriverData\\Stale"] = L"TRUE";
    EXPECT_EQ(1, config.IsConnectionStale());
    services->registry[kMachinePrinters + L"\\\\srv\\p\\PrinterDriverData\\Stale"] = L"true";
    EXPECT_EQ(0, config.IsConnectionStale());
}

TEST_F(ConfigReader, UserConnectionReadsStaleUnderItsKeyAndAMissingKeyIsStale)
{
    GDriverDMCConfig config(tree.get(), &driver);
    config.SetPrinterName(L"\\\\srv\\p");
    config.SetUpdateMode(2);
    EXPECT_EQ(1, config.IsConnectionStale());
    services->userKeys = {L"Printers\\Connections\\,,srv,p"};
    EXPECT_EQ(0, config.IsConnectionStale());
    services->registry[L"Printers\\Connections\\,,srv,p\\Stale"] = L"TRUE";
    EXPECT_EQ(1, config.IsConnectionStale());
    config.SetUpdateMode(3);
    EXPECT_EQ(0, config.IsConnectionStale());
}

TEST_F(ConfigReader, PhysicalImportWhoseTranslatorsAllAnswerZeroWritesNothingAndStampsError)
{
    GDMCConfig::featureKeys = &kZeroTable;
    // The model's bundle would be taken over: no bundle translator either.
    GDMCConfig::bundlesMaker = nullptr;
    GDriverDMCConfig config(tree.get(), &driver);
    Open(config);
    EXPECT_EQ(1, config.ImportPhysical());
    EXPECT_FALSE(config.PhysicalChanged());
    EXPECT_EQ(0, driver.mapsApplied);
    EXPECT_EQ(L"<absent>", services->PrinterString(L"LastUpdateType"));
    config.StampLastUpdate(1);
    EXPECT_EQ(L"ERROR", services->PrinterString(L"DMCLastUpdate"));
}

TEST_F(ConfigReader, ChangingPhysicalImportRebuildsTheMapsAndWritesAdmin)
{
    GDriverDMCConfig config(tree.get(), &driver);
    Open(config);
    EXPECT_EQ(1, config.ImportPhysical());
    EXPECT_EQ(1, ValueOf(tree.get(), 990));
    EXPECT_EQ(1, driver.mapsApplied);
    EXPECT_EQ(L"Admin", services->PrinterString(L"LastUpdateType"));
    config.StampLastUpdate(0);
    EXPECT_EQ(L"<absent>", services->PrinterString(L"DMCLastUpdate"));
    config.StampLastUpdate(1);
    EXPECT_EQ(L"03/ 07/ 2005", services->PrinterString(L"DMCLastUpdate"));
}

TEST_F(ConfigReader, RefusedSectionImportsNothing)
{
    standin.Set(L"RefuseSection", L"physical");
    GDriverDMCConfig config(tree.get(), &driver);
    Open(config);
    EXPECT_EQ(0, config.ImportPhysical());
    EXPECT_EQ(0, ValueOf(tree.get(), 990));
}

TEST_F(ConfigReader, MediaAdjustmentGivesTheResolutionByItsBranches)
{
    const struct {
        uint16_t adjust;
        const char* media;
        uint16_t fixed;
        int r;
    } cases[] = {
        {0, "Plain", 1, 600}, {0, "Plain", 0, 300}, {0, "Bond", 0, 600}, {1, "Plain", 0, 600},
        {65535, "Bond", 0, 300}, {7, "Plain", 0, 300}, {7, "Bond", 0, 600},
    };
    standin.SetFeature(L"printing/EconoMode", L"TRUE");
    for (const auto& c : cases) {
        tree.reset(Settings(c.adjust, c.media, c.fixed));
        {
            GDriverDMCConfig config(tree.get(), &driver);
            Open(config);
            EXPECT_EQ(1, config.ImportPrinting());
            EXPECT_EQ(c.r, ValueOf(tree.get(), 323)) << c.adjust << c.media;
            EXPECT_EQ(c.r, ValueOf(tree.get(), 324));
            EXPECT_EQ(0, ValueOf(tree.get(), 1029));
            const std::vector<std::pair<long, int>> records = {{252, 1}, {323, c.r}, {324, c.r}};
            EXPECT_EQ(records, Members(config.GetChangeList()));
        }
    }
}

TEST_F(ConfigReader, GlossyMediaMarksTheJob)
{
    standin.SetFeature(L"printing/EconoMode", L"TRUE");
    for (const char* glossy : GlossyPapers::kNames) {
        tree.reset(Settings(0, glossy));
        GDriverDMCConfig config(tree.get(), &driver);
        Open(config);
        config.ImportPrinting();
        EXPECT_EQ(1, ValueOf(tree.get(), 1029)) << glossy;
        const std::vector<std::pair<long, int>> records = {{252, 1}, {1029, 1}, {323, 600}, {324, 600}};
        EXPECT_EQ(records, Members(config.GetChangeList()));
    }
    tree.reset(Settings(0, "photogloss"));
    GDriverDMCConfig config(tree.get(), &driver);
    Open(config);
    config.ImportPrinting();
    EXPECT_EQ(0, ValueOf(tree.get(), 1029));
}

TEST_F(ConfigReader, WithoutAdjustTheNineteenPairsAreCopied)
{
    static const uint16_t kJobToDocument[][2] = {{250, 218}, {277, 221}, {442, 443}, {251, 219}, {245, 402},
                                                 {405, 409}, {703, 705}, {323, 223}, {324, 224}, {325, 225},
                                                 {911, 912}};
    static const uint16_t kDocumentToJob[][2] = {{255, 242}, {293, 220}, {585, 589}, {582, 586},
                                                 {583, 587}, {584, 588}, {900, 404}, {910, 913}};
    auto* job = Group(362, {Value(252, 0)});
    auto* document = Group(364, {});
    uint16_t n = 100;
    for (const auto& pair : kJobToDocument)
        job->Add(Value(pair[0], n++)), document->Add(Value(pair[1], 0));
    for (const auto& pair : kDocumentToJob)
        document->Add(Value(pair[0], n++)), job->Add(Value(pair[1], 0));
    tree.reset(Group(360, {job, document, Value(328, 0)}));
    standin.SetFeature(L"printing/EconoMode", L"TRUE");
    GDriverDMCConfig config(tree.get(), &driver);
    Open(config);
    config.ImportPrinting();
    n = 100;
    std::vector<std::pair<long, int>> records = {{252, 1}};
    for (const auto& pair : kJobToDocument) {
        EXPECT_EQ(n, ValueOf(document, pair[1]));
        records.emplace_back(pair[1], n++);
    }
    for (const auto& pair : kDocumentToJob) {
        EXPECT_EQ(n, ValueOf(job, pair[1]));
        records.emplace_back(pair[1], n++);
    }
    EXPECT_EQ(19u, records.size() - 1);
    EXPECT_EQ(records, Members(config.GetChangeList()));
}

TEST_F(ConfigReader, QuicksetsAreWrittenOnlyAfterAChangingPrintingImportAndReadBackEqual)
{
    {
        GDMCConfig::featureKeys = &kZeroTable;
        GDriverDMCConfig config(tree.get(), &driver);
        Open(config);
        config.ImportPrinting();
    }
    EXPECT_EQ(0u, services->printerData.count(L"DMCQuickset"));
    EXPECT_EQ(0u, services->printerData.count(L"DMCQuickset:0"));
    GDMCConfig::featureKeys = &kTestTable;
    standin.SetFeature(L"printing/EconoMode", L"TRUE");
    std::unique_ptr<GObjectBase> expected;
    {
        GDriverDMCConfig config(tree.get(), &driver);
        Open(config);
        config.ImportPrinting();
        expected.reset(config.GetChangeList()->DeepCopy());
    }
    std::unique_ptr<GObjectBase> stored(services->LoadObjectFromPrinterData(&driver, L"DMCQuickset", 0));
    ASSERT_NE(nullptr, stored);
    EXPECT_EQ(Members(expected.get()), Members(stored.get()));
    EXPECT_EQ(1101, stored->GetId());
}

TEST_F(ConfigReader, HelperAnswerReachesCallHelper)
{
    GDriverDMCConfig config(tree.get(), &driver);
    ASSERT_TRUE(config.HasHelper());
    g_helperAnswer = -3;
    const char data[] = "x";
    EXPECT_EQ(-3, config.Library().CallHelper(11, data, 33, 44));
    EXPECT_EQ(11u, g_helperRecord[0]);
    EXPECT_EQ(uint32_t(reinterpret_cast<uintptr_t>(&config)), g_helperRecord[1]);
    EXPECT_EQ(33u, g_helperRecord[2]);
    EXPECT_EQ(44u, g_helperRecord[3]);
    EXPECT_EQ(uint32_t(reinterpret_cast<uintptr_t>(data)), g_helperRecord[4]);
}

TEST_F(ConfigReader, HelperNamedWithAPathOrAbsentIsNotLoaded)
{
    for (const char* name : {"..\\qzvrta32\\qzdmchlp.dll", "C:qzdmchlp.dll", "sub/qzdmchlp.dll", ""}) {
        Driver named(name);
        GDriverDMCConfig config(tree.get(), &named);
        EXPECT_FALSE(config.HasHelper()) << name;
        EXPECT_EQ(0, config.Library().CallHelper(1, nullptr, 2, 3));
    }
    Driver none(nullptr);
    GDriverDMCConfig config(tree.get(), &none);
    EXPECT_FALSE(config.HasHelper());
}

TEST_F(ConfigReader, ConfigurationValueTwoUnder228Answers1)
{
    Driver two("qzdmchlp.dll", 2), one("qzdmchlp.dll", 1);
    EXPECT_EQ(1, GDriverDMCConfig(tree.get(), &two).CheckConfigurationValue());
    EXPECT_EQ(0, GDriverDMCConfig(tree.get(), &one).CheckConfigurationValue());
}

// The bundles' translator, when a maker is given, runs before the listed keys.
std::vector<std::wstring> g_order;

class Recording : public FeatureTranslator {
public:
    Recording(GDMCLibrary& library, const wchar_t* name, int32_t answer)
        : FeatureTranslator(library), name_(name), answer_(answer)
    {
    }
    int32_t ToAttributes(GObjectBase*, GAttributeComposite*) override
    {
        g_order.push_back(std::wstring(L"import ") + name_);
        return answer_;
    }
    int32_t FromAttributes(GObjectBase*) override
    {
        g_order.push_back(std::wstring(L"export ") + name_);
        return 1;
    }

private:
    const wchar_t* name_;
    int32_t answer_;
};

int32_t g_bundlesAnswer = 0;
FeatureTranslator* MakeBundles(GDMCConfig& c, const wchar_t*) { return new Recording(c.Library(), L"Bundles", g_bundlesAnswer); }
FeatureTranslator* MakeDuplexUnit(GDMCConfig& c, const wchar_t*) { return new Recording(c.Library(), L"DuplexUnit", 0); }
const FeatureKey kRecordingRows[] = {{L"DuplexUnit", MakeDuplexUnit}};
const FeatureKeyTable kRecordingTable = {kRecordingRows, 1};

TEST_F(ConfigReader, BundlesRunFirstOnPhysicalImportAndFactoryPhysicalExportOnly)
{
    GDMCConfig::featureKeys = &kRecordingTable;
    GDMCConfig::bundlesMaker = MakeBundles;
    g_order.clear();
    {
        GDriverDMCConfig config(tree.get(), &driver);
        Open(config);
        EXPECT_EQ(1, config.ImportPhysical());
        EXPECT_FALSE(config.PhysicalChanged());
        EXPECT_EQ(1, config.ImportPrinting());
        EXPECT_EQ(1, config.ExportSection(L"physical"));
        EXPECT_EQ(1, config.ExportSection(L"factory/physical"));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"import Bundles", L"import DuplexUnit", L"export DuplexUnit",
                                         L"export Bundles", L"export DuplexUnit"}),
              g_order);
    g_bundlesAnswer = 1;
    {
        GDriverDMCConfig config(tree.get(), &driver);
        Open(config);
        EXPECT_EQ(1, config.ImportPhysical());
        EXPECT_TRUE(config.PhysicalChanged());
        EXPECT_EQ(1, driver.mapsApplied);
    }
    g_bundlesAnswer = 0;
}

// The update and the factory export.

class ConfigUpdate : public ConfigReader {
protected:
    int Calls(const wchar_t* prefix)
    {
        int n = 0;
        for (const std::wstring& line : standin.Log())
            n += line.rfind(prefix, 0) == 0;
        return n;
    }
};

TEST_F(ConfigUpdate, WithoutTheLibraryStampsError)
{
    services->moduleFolder = DmcStandin::ProgramFolder() + L"\\no-such-folder";
    GDriverDMCConfig config(tree.get(), &driver);
    EXPECT_EQ(0, config.Update(kPrinter, 0));
    EXPECT_EQ(L"ERROR", services->PrinterString(L"DMCLastUpdate"));
}

TEST_F(ConfigUpdate, StaleConnectionStampsErrorAndNeverOpens)
{
    services->SetPrinterDataString(&driver, L"Stale", L"TRUE");
    standin.SetFeature(L"printing/EconoMode", L"TRUE");
    GDriverDMCConfig config(tree.get(), &driver);
    EXPECT_EQ(0, config.Update(kPrinter, 0));
    EXPECT_EQ(L"ERROR", services->PrinterString(L"DMCLastUpdate"));
    EXPECT_EQ(0, ValueOf(tree.get(), 252));
    EXPECT_EQ(0, Calls(L"DMCStartConfig"));
}

TEST_F(ConfigUpdate, LocalPrinterMarkedFreshImports)
{
    services->SetPrinterDataString(&driver, L"Stale", L"FALSE");
    standin.SetFeature(L"printing/EconoMode", L"TRUE");
    GDriverDMCConfig config(tree.get(), &driver);
    EXPECT_EQ(1, config.Update(kPrinter, 0));
    EXPECT_EQ(1, ValueOf(tree.get(), 252));
    EXPECT_EQ(L"03/ 07/ 2005", services->PrinterString(L"DMCLastUpdate"));
    EXPECT_EQ(1, Calls(L"DMCEndConfig"));
}

TEST_F(ConfigUpdate, RefusedStartAnswersZeroAndWritesNothing)
{
    standin.Set(L"RefuseStartConfig");
    GDriverDMCConfig config(tree.get(), &driver);
    EXPECT_EQ(0, config.Update(kPrinter, 0));
    EXPECT_TRUE(services->printerData.empty());
}

TEST_F(ConfigUpdate, ModeZeroWithRefusedPhysicalImportsNoPrintingAndStampsNothing)
{
    standin.Set(L"RefuseSection", L"physical");
    standin.SetFeature(L"printing/EconoMode", L"TRUE");
    GDriverDMCConfig config(tree.get(), &driver);
    EXPECT_EQ(0, config.Update(kPrinter, 0));
    EXPECT_EQ(0, Calls(L"DMCEnumFeatures printing"));
    EXPECT_EQ(L"<absent>", services->PrinterString(L"DMCLastUpdate"));
    EXPECT_EQ(1, Calls(L"DMCEndConfig"));
}

TEST_F(ConfigUpdate, ConfigurationValueTwoImportsPrintingOnly)
{
    GDMCConfig::featureKeys = &kZeroTable;
    Driver two("qzdmchlp.dll", 2);
    GDriverDMCConfig config(tree.get(), &two);
    EXPECT_EQ(1, config.Update(kPrinter, 0));
    EXPECT_EQ(0, Calls(L"DMCEnumFeatures physical"));
    EXPECT_EQ(1, Calls(L"DMCEnumFeatures printing"));
    EXPECT_EQ(L"ERROR", services->PrinterString(L"DMCLastUpdate")); // nothing changed
}

TEST_F(ConfigUpdate, UserModeImportsPrintingExceptInFamilyFour)
{
    services->userKeys = {L"Printers\\Connections\\Colour Laser"};
    standin.SetFeature(L"printing/EconoMode", L"TRUE");
    services->osKind = 9; // family 4
    {
        GDriverDMCConfig config(tree.get(), &driver);
        EXPECT_EQ(0, config.Update(kPrinter, 2));
        EXPECT_EQ(0, ValueOf(tree.get(), 252));
    }
    services->osKind = 5; // family 3
    GDriverDMCConfig config(tree.get(), &driver);
    EXPECT_EQ(1, config.Update(kPrinter, 2));
    EXPECT_EQ(1, ValueOf(tree.get(), 252));
    EXPECT_EQ(0, Calls(L"DMCEnumFeatures physical"));
}

TEST_F(ConfigUpdate, OtherModesImportNothing)
{
    GDriverDMCConfig config(tree.get(), &driver);
    EXPECT_EQ(0, config.Update(kPrinter, 1));
    EXPECT_EQ(0, Calls(L"DMCEnumFeatures"));
    EXPECT_EQ(1, Calls(L"DMCEndConfig"));
}

TEST_F(ConfigUpdate, FactoryExportWritesBothSections)
{
    GDriverObject::Feature<GValueAttribute>(tree.get(), 252)->SetValue(1);
    GDriverDMCConfig config(tree.get(), &driver);
    EXPECT_EQ(1, config.ExportFactory(kPrinter));
    EXPECT_EQ(1, Calls(L"DMCEnumFeatures factory/physical"));
    EXPECT_EQ(1, Calls(L"DMCEnumFeatures factory/printing"));
    EXPECT_EQ(std::vector<std::wstring>({L"physical/DuplexUnit=NotInstalled", L"printing/EconoMode=TRUE"}),
              standin.Exports(kPrinter));
    EXPECT_EQ(1, Calls(L"DMCEndExport"));
}

TEST_F(ConfigUpdate, RefusedFactoryPhysicalSkipsPrintingAndStillEnds)
{
    for (bool answerTwo : {false, true}) {
        standin.Reset();
        if (answerTwo)
            standin.Set(L"AnswerTwo", L"DMCEnumFeatures");
        else
            standin.Set(L"RefuseSection", L"factory/physical");
        GDriverDMCConfig config(tree.get(), &driver);
        EXPECT_EQ(0, config.ExportFactory(kPrinter));
        EXPECT_EQ(0, Calls(L"DMCEnumFeatures factory/printing"));
        EXPECT_EQ(1, Calls(L"DMCEndExport"));
    }
}

TEST_F(ConfigUpdate, RefusedExportStartAnswersZero)
{
    standin.Set(L"RefuseStartExport");
    GDriverDMCConfig config(tree.get(), &driver);
    EXPECT_EQ(0, config.ExportFactory(kPrinter));
    EXPECT_EQ(0, Calls(L"DMCEndExport"));
}

} // namespace
