// The configuration update and the factory export of the whole model, on the installed
// test printer: every translator together, over the settings of the real driver UI
// object as the generated printer model gives them, with the configuration library
// stand-in holding the model file's keywords. The stamps and the
// quick sets are read back through the spooler.
#include "entry/driverui/GDriverUI.h"

#include "DmcStandin.h"
#include "StandinFolderServices.h"
#include "RealDriverUIMaker.h"
#include "TestPrinter.h"
#include "WholeModelTree.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/ModuleLifetime.h"
#include "model/GAttributeComposite.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverServer.h"
#include "printer/PrinterIdentity.h"
#include "settings/dmc/FeatureTranslator.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/dmc/GDriverDMCConfig.h"
#include "settings/translators/AccessoryOutputBinsTranslator.h"
#include "settings/translators/BinderChoiceTranslator.h"
#include "settings/translators/BinderUnitTranslator.h"
#include "settings/translators/BookletPrintingChoiceTranslator.h"
#include "settings/translators/BookletTargetSizeTranslator.h"
#include "settings/translators/CollationUnitTranslator.h"
#include "settings/translators/CopiesTranslator.h"
#include "settings/translators/DeviceIsZadidiTranslator.h"
#include "settings/translators/DriverWorkSpaceSettingTranslator.h"
#include "settings/translators/DryTimeTranslator.h"
#include "settings/translators/DuplexTranslator.h"
#include "settings/translators/DuplexUnitTranslator.h"
#include "settings/translators/EconoModeTranslator.h"
#include "settings/translators/EdgeToEdgeTranslator.h"
#include "settings/translators/EnvFeederTranslator.h"
#include "settings/translators/FitToOtherSizeChoiceTranslator.h"
#include "settings/translators/FoldingTranslator.h"
#include "settings/translators/IgnoreCollationChoiceTranslator.h"
#include "settings/translators/InputBinTranslator.h"
#include "settings/translators/JobRetentionAvailableTranslator.h"
#include "settings/translators/JobRetentionModeChoiceTranslator.h"
#include "settings/translators/JobRetentionTranslator.h"
#include "settings/translators/ManualDuplexTranslator.h"
#include "settings/translators/MediaTypeTranslator.h"
#include "settings/translators/MemoryTranslator.h"
#include "settings/translators/MetChoiceTranslator.h"
#include "settings/translators/MonoChromeChoiceTranslator.h"
#include "settings/translators/NUpChoiceTranslator.h"
#include "settings/translators/NamedFeatureTranslator.h"
#include "settings/translators/OptionalPaperSourcesTranslator.h"
#include "settings/translators/OrientationTranslator.h"
#include "settings/translators/OutputBinTranslator.h"
#include "settings/translators/PageOrderTranslator.h"
#include "settings/translators/PaperSizeTranslator.h"
#include "settings/translators/PatternScalingChoiceTranslator.h"
#include "settings/translators/PrintColorAsGrayTranslator.h"
#include "settings/translators/PrintQualityTranslator.h"
#include "settings/translators/PrinterHardDiskTranslator.h"
#include "settings/translators/PunchingTranslator.h"
#include "settings/translators/QZAutoDuplexScalingTranslator.h"
#include "settings/translators/QZChromafitTranslator.h"
#include "settings/translators/QZEmulateTXMarginsTranslator.h"
#include "settings/translators/QZImageShiftTranslator.h"
#include "settings/translators/QZSymmetricalMarginsTranslator.h"
#include "settings/translators/RGBColorTranslator.h"
#include "settings/translators/RasterizationChoiceTranslator.h"
#include "settings/translators/ResolutionTranslator.h"
#include "settings/translators/RetChoiceTranslator.h"
#include "settings/translators/ScaleChoiceTranslator.h"
#include "settings/translators/ScaleFromLargePaperTranslator.h"
#include "settings/translators/ScalePageChoiceTranslator.h"
#include "settings/translators/ScannerChoiceTranslator.h"
#include "settings/translators/StaplerChoiceTranslator.h"
#include "settings/translators/StaplingPositionTranslator.h"
#include "settings/translators/StaplingTranslator.h"
#include "settings/translators/StraightPaperPathTranslator.h"
#include "settings/translators/TTAsBitmapSettingTranslator.h"
#include "settings/translators/TextAsBlackTranslator.h"
#include "settings/translators/TransparencyInterleaveTranslator.h"
#include "settings/translators/Tray1Translator.h"
#include "settings/translators/UseDiffFirstPageChoiceTranslator.h"
#include "settings/translators/WatermarksTranslator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <cwchar>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// The model file's features in file order: path and keyword.
std::vector<std::pair<std::wstring, std::wstring>> ModelFeatures()
{
    std::vector<std::pair<std::wstring, std::wstring>> features;
    const std::wstring folder = DmcStandin::Folder();
    std::ifstream file(std::string(folder.begin(), folder.end()) + "\\QZVRTA32.dmc");
    auto trim = [](std::string text) {
        const size_t first = text.find_first_not_of(" \t\r\n");
        if (first == std::string::npos)
            return std::string();
        return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    };
    for (std::string line; std::getline(file, line);) {
        line = trim(line.substr(0, line.find('#')));
        const size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string path = trim(line.substr(0, equals));
        if (path.find('@') != std::string::npos)
            continue;
        const std::string keyword = trim(line.substr(equals + 1));
        features.emplace_back(std::wstring(path.begin(), path.end()), std::wstring(keyword.begin(), keyword.end()));
    }
    return features;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::wstring SpoolerString(const std::wstring& printerName, const wchar_t* name)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName.c_str()), &printer, nullptr))
        return L"<no printer>";
    wchar_t text[128] = {};
    DWORD type = 0, needed = 0;
    const DWORD status = GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, reinterpret_cast<BYTE*>(text),
                                         sizeof text - 2, &needed);
    ClosePrinter(printer);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(text) : L"<absent>";
}


class WholeModel : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        services = new StandinFolderServices;
        ASSERT_TRUE(standin.Loaded());
        standin.Reset();
        ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
        previous = GUIOSFactory::GetDriverUIMaker();
        GUIOSFactory::SetDriverUIMaker(kRealMaker);
        object = ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(nullptr, name.c_str(), 1), ticket);
        ui = dynamic_cast<GDriverUI*>(object);
        ASSERT_NE(nullptr, ui);
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
        tree = object->GetSettings();
        ASSERT_NE(nullptr, tree);
    }
    void TearDown() override
    {
        if (ticket)
            ModuleLifetime::DriverServer()->Release(ticket);
        GUIOSFactory::SetDriverUIMaker(previous);
        ModuleLifetime::Detach(false);
        new GUIOSFactory;
    }
    // A configuration reader over the tree, bound while the stand-in's folder is the
    // module's.
    std::unique_ptr<GDriverDMCConfig> MakeConfig()
    {
        services->binding = true;
        std::unique_ptr<GDriverDMCConfig> config(new GDriverDMCConfig(tree, object));
        services->binding = false;
        return config;
    }

    const TestPrinter& printer = TestPrinter::Shared();
    std::wstring name = printer.Name();
    StandinFolderServices* services = nullptr;
    DmcStandin standin;
    GDriverUIMaker previous{};
    uint32_t ticket = 0;
    GDriverObject* object = nullptr;
    GDriverUI* ui = nullptr;
    GObjectBase* tree = nullptr;
};

// What the update reads of a model feature but does not keep, and why; a path ending in
// "/" stands for every feature below it.
const wchar_t* const kReadNotTaken[] = {
    // Taken as the table's code (2) into the x and y resolution, which the media
    // adjustment at the end of the printing import then sets to 600 dpi: no row.
    L"printing/Resolution",
    // The manual colour options are the configured colour object's own bytes, as the
    // model means them: nothing new, so the mode stays automatic.
    L"printing/QZChromafit", L"printing/QZChromafit/",
    // "None" names no device option of the model.
    L"physical/QZPostInsertionKit", L"physical/QZPunchUnitType",
    // The look of a watermark goes with a selected one; "None" exports alone.
    L"printing/Watermarks/",
};
// Model keys read by no class on this printer: no manual duplex fallback for the straight
// paper path; the job settings choose the plain stapling class, which reads
// "StaplerChoice/Stapling"; the colour-as-gray options are read by their feature's class,
// when it is enabled (the factory has no such key).
const wchar_t* const kNotRead[] = {L"printing/StraightPaperPath", L"printing/Stapling",
                                   L"printing/PrintColorAsGray[TRUE]"};
// What the factory export writes beyond what was imported: the tree's own state of
// features not read (the model's keywords again, and the grey options, which the grey
// feature always exports), and the colour mode the tree holds.
const wchar_t* const kExportedNotImported[] = {L"printing/StraightPaperPath=OFF", L"printing/QZChromafit=Automatic",
                                               L"printing/PrintColorAsGray[TRUE]/PrintColorAsGrayOptions=HighQuality"};
// Taken over but not exported: the page order and borders go with more than one page per
// sheet, and the model prints one.
const wchar_t* const kTakenNotExported[] = {L"printing/NUpChoice/NUpBordersChoice",
                                            L"printing/NUpChoice/NUpPageOrderChoice"};
// Export paths that differ from the import path.
const std::map<std::wstring, std::wstring> kExportPaths = {
    {L"physical/DuplexUnit", L"physical/duplexunit"},
    {L"printing/BinderChoice", L"printing/BindChoice"},
    {L"printing/QZImageShift", L"printing/PunchChoice"},
};

bool Listed(const wchar_t* const* list, size_t count, const std::wstring& text)
{
    for (size_t i = 0; i < count; ++i) {
        const std::wstring entry = list[i];
        if (text == entry || (entry.back() == L'/' && text.compare(0, entry.size(), entry) == 0))
            return true;
    }
    return false;
}

// The feature paths whose keyword the log shows read: "DMCGet path", or "DMCSetContext
// path" followed by "DMCGet -".
std::set<std::wstring> ReadPaths(const std::vector<std::wstring>& log)
{
    std::set<std::wstring> read;
    std::wstring context;
    for (const std::wstring& line : log) {
        if (line.compare(0, 14, L"DMCSetContext ") == 0)
            context = line.substr(14);
        else if (line == L"DMCGet -" && !context.empty())
            read.insert(context);
        else if (line.compare(0, 7, L"DMCGet ") == 0)
            read.insert(line.substr(7));
    }
    return read;
}

// (id, value) of each member of a composite; -1 for a member that is no value attribute.
std::vector<std::pair<long, int>> MembersOf(GObjectBase* composite)
{
    std::vector<std::pair<long, int>> members;
    if (GObjectIterator* it = composite ? composite->CreateIterator() : nullptr) {
        while (it->Next()) {
            GObjectBase* member = it->Current();
            const bool value = member->IsKindOf(GValueAttribute::kClassId);
            members.emplace_back(member->GetId(), value ? static_cast<GValueAttribute*>(member)->GetValue() : -1);
        }
        delete it;
    }
    return members;
}

TEST_F(WholeModel, UpdateImportsEveryKeyAndTheFactoryExportGivesTheKeywordsBack)
{
    GOSFactory::Instance()->SetPrinterDataString(object, L"LastUpdateType", L"none");
    GOSFactory::Instance()->SetPrinterDataString(object, L"Stale", L"FALSE");
    std::vector<std::pair<long, int>> changes;
    {
        std::unique_ptr<GDriverDMCConfig> config = MakeConfig();
        ASSERT_EQ(1u, config->Library().IsLoaded());
        const std::vector<std::string> missing = WholeModelTree::MissingPaths(tree, *config);
        EXPECT_TRUE(missing.empty()) << "the model lacks " << missing.size() << ", first " << missing.front();
        EXPECT_EQ(1, config->Update(name.c_str(), 0));
        EXPECT_TRUE(config->PhysicalChanged());
        EXPECT_TRUE(config->PrintingChanged());
        changes = MembersOf(config->GetChangeList());
    }
    const std::vector<std::pair<std::wstring, std::wstring>> model = ModelFeatures();
    const std::vector<std::wstring> log = standin.Log();
    const std::set<std::wstring> read = ReadPaths(log);

    // Every key of both sections was listed and run: a token each and one more that ends
    // the list; every model feature but the pinned ones was read.
    std::set<std::wstring> keys;
    for (const auto& feature : model)
        keys.insert(feature.first.substr(0, feature.first.find(L'/', feature.first.find(L'/') + 1)));
    size_t tokens = 0;
    for (const std::wstring& line : log)
        tokens += line == L"DMCEnumListToken";
    EXPECT_EQ(keys.size() + 2, tokens);
    for (const std::wstring& key : keys)
        EXPECT_EQ(!Listed(kNotRead, sizeof kNotRead / sizeof *kNotRead, key), read.count(key) == 1) << Narrow(key);

    // The stamps and the quick sets, read back from the spooler.
    std::tm now{}, shifted{};
    int16_t bias = 0;
    GOSFactory::Instance()->GetLocalAndShiftedTime(now, shifted, bias);
    wchar_t date[32];
    std::swprintf(date, 32, L"%2.2d/ %2.2d/ %4.4d", now.tm_mon + 1, now.tm_mday, now.tm_year + 1900);
    EXPECT_EQ(std::wstring(date), SpoolerString(name, L"DMCLastUpdate"));
    EXPECT_EQ(L"Admin", SpoolerString(name, L"LastUpdateType"));
    std::unique_ptr<GObjectBase> quicksets(
        GOSFactory::Instance()->LoadObjectFromPrinterData(object, RWWString(L"DMCQuickset"), 0));
    ASSERT_NE(nullptr, quicksets);
    EXPECT_FALSE(changes.empty());
    EXPECT_EQ(changes, MembersOf(quicksets.get()));

    // The factory export writes back, under its export paths, what was taken over.
    standin.Reset();
    {
        std::unique_ptr<GDriverDMCConfig> config = MakeConfig();
        EXPECT_EQ(1, config->ExportFactory(name.c_str()));
    }
    std::set<std::wstring> expected;
    for (const auto& feature : model) {
        if (!read.count(feature.first) ||
            Listed(kReadNotTaken, sizeof kReadNotTaken / sizeof *kReadNotTaken, feature.first) ||
            Listed(kTakenNotExported, sizeof kTakenNotExported / sizeof *kTakenNotExported, feature.first))
            continue;
        auto renamed = kExportPaths.find(feature.first);
        expected.insert((renamed == kExportPaths.end() ? feature.first : renamed->second) + L"=" + feature.second);
    }
    for (const wchar_t* extra : kExportedNotImported)
        expected.insert(extra);
    const std::vector<std::wstring> exports = standin.Exports(name.c_str());
    const std::set<std::wstring> exported(exports.begin(), exports.end());
    EXPECT_EQ(exports.size(), exported.size()) << "each path exported once";
    for (const std::wstring& missing : expected)
        EXPECT_EQ(1u, exported.count(missing)) << "not exported: " << Narrow(missing);
    for (const std::wstring& extra : exported)
        EXPECT_EQ(1u, expected.count(extra)) << "exported: " << Narrow(extra);
    EXPECT_EQ(54u, exported.size());
}

template <class T>
bool Is(FeatureTranslator* made)
{
    return dynamic_cast<T*>(made) != nullptr;
}

// Whether a logged call names the path as its first argument.
bool Names(const std::wstring& line, const std::wstring& path)
{
    const size_t blank = line.find(L' ');
    if (blank == std::wstring::npos)
        return false;
    const std::wstring rest = line.substr(blank + 1);
    return rest.compare(0, path.size(), path) == 0 && (rest.size() == path.size() || rest[path.size()] == L' ');
}

// Every key of the factory builds its class, and that translator, made in its main mode
// and run on the tree the update imported, asks the library for its own feature.
TEST_F(WholeModel, EveryFactoryKeyBuildsItsClassWhichReadsItsFeatureFromTheImportedTree)
{
    const struct {
        const wchar_t* key;
        bool (*check)(FeatureTranslator*);
        const wchar_t* path;
        bool reads = true;
    } rows[] = {
        /*  1 */ {L"QZChromafit", Is<QZChromafitTranslator>, L"printing/QZChromafit"},
        /*  2 */ {L"RGBColor", Is<RGBColorTranslator>, L"printing/RGBColor"},
        /*  3 */ {L"ScaleFromLargePaper", Is<ScaleFromLargePaperTranslator>, L"physical/ScaleFromLargePaper"},
        /*  4 */ {L"OptionalPaperSources", Is<OptionalPaperSourcesTranslator>, L"physical/OptionalPaperSources"},
        /*  5 */ {L"MediaType", Is<MediaTypeTranslator>, L"printing/MediaType"},
        /*  6 */ {L"PrintColorAsGray", Is<PrintColorAsGrayTranslator>, L"printing/PrintColorAsGray"},
        /*  7 */ {L"InputBin", Is<InputBinTranslator>, L"printing/InputBin"},
        /*  8 */ {L"PrintQuality", Is<PrintQualityTranslator>, L"printing/PrintQuality"},
        /*  9 */ {L"PaperSize", Is<PaperSizeTranslator>, L"printing/PaperSize"},
        /* 10 */ {L"DuplexUnit", Is<DuplexUnitTranslator>, L"physical/DuplexUnit"},
        /* 11 */ {L"Duplex", Is<DuplexTranslator>, L"printing/Duplex"},
        /* 12 */ {L"Memory", Is<MemoryTranslator>, L"physical/Memory"},
        /* 13 */ {L"PrinterHardDisk", Is<PrinterHardDiskTranslator>, L"physical/PrinterHardDisk"},
        /* 14 */ {L"DeviceIsZadidi", Is<DeviceIsZadidiTranslator>, L"physical/DeviceIsZadidi"},
        /* 15 */ {L"DriverWorkSpaceSetting", Is<DriverWorkSpaceSettingTranslator>, L"physical/DriverWorkSpaceSetting"},
        /* 16 */ {L"JobRetentionAvailable", Is<JobRetentionAvailableTranslator>, L"physical/JobRetentionAvailable"},
        /* 17 */ {L"JobRetention", Is<JobRetentionTranslator>, L"physical/JobRetention"},
        /* 18 */ {L"EnvFeeder", Is<EnvFeederTranslator>, L"physical/EnvFeeder"},
        /* 19 */ {L"AccessoryOutputBins", Is<AccessoryOutputBinsTranslator>, L"physical/AccessoryOutputBins"},
        /* 20 */ {L"EconoMode", Is<EconoModeTranslator>, L"printing/EconoMode"},
        /* 21 */ {L"Orientation", Is<OrientationTranslator>, L"printing/Orientation"},
        /* 22 */ {L"StaplerChoice", Is<StaplerChoiceTranslator>, L"printing/StaplerChoice"},
        /* 23 */ {L"Stapling", Is<StaplingTranslator>, L"printing/StaplerChoice/Stapling"},
        /* 24 */ {L"OutputBin", Is<OutputBinTranslator>, L"printing/OutputBin"},
        /* 25 */ {L"Copies", Is<CopiesTranslator>, L"printing/Copies"},
        /* 26 */ {L"TextAsBlack", Is<TextAsBlackTranslator>, L"printing/TextAsBlack"},
        /* 27 */ {L"NUpChoice", Is<NUpChoiceTranslator>, L"printing/NUpChoice"},
        /* 28 */ {L"FitToOtherSizeChoice", Is<FitToOtherSizeChoiceTranslator>, L"printing/FitToOtherSizeChoice"},
        /* 29 */ {L"ScalePageChoice", Is<ScalePageChoiceTranslator>, L"printing/ScalePageChoice"},
        /* 30 */ {L"ScaleChoice", Is<ScaleChoiceTranslator>, L"printing/ScaleChoice"},
        /* 31 */ {L"BookletPrintingChoice", Is<BookletPrintingChoiceTranslator>, L"printing/BookletPrintingChoice"},
        /* 32 */ {L"TTAsBitmapSetting", Is<TTAsBitmapSettingTranslator>, L"printing/TTAsBitmapSetting"},
        /* 33 */ {L"BookletTargetSize", Is<BookletTargetSizeTranslator>, L"printing/BookletTargetSize"},
        /* 34 */ {L"Watermarks", Is<WatermarksTranslator>, L"printing/Watermarks"},
        /* 35 */ {L"BinderUnit", Is<BinderUnitTranslator>, L"physical/BinderUnit"},
        /* 36 */ {L"ScannerChoice", Is<ScannerChoiceTranslator>, L"physical/ScannerChoice"},
        /* 37 */ {L"CollationUnit", Is<CollationUnitTranslator>, L"physical/CollationUnit"},
        /* 38 */ {L"MonoChromeChoice", Is<MonoChromeChoiceTranslator>, L"physical/MonoChromeChoice"},
        /* 39 */ {L"Resolution", Is<ResolutionTranslator>, L"printing/Resolution"},
        /* 40 */ {L"EdgeToEdge", Is<EdgeToEdgeTranslator>, L"printing/EdgeToEdge"},
        /* 41 */ {L"JobRetentionModeChoice", Is<JobRetentionModeChoiceTranslator>, L"printing/JobRetentionModeChoice"},
        /* 42 */ {L"RasterizationChoice", Is<RasterizationChoiceTranslator>, L"printing/RasterizationChoice"},
        /* 43 */ {L"MetChoice", Is<MetChoiceTranslator>, L"printing/MetChoice"},
        /* 44 */ {L"RetChoice", Is<RetChoiceTranslator>, L"printing/RetChoice"},
        /* 45 */ {L"PatternScalingChoice", Is<PatternScalingChoiceTranslator>, L"printing/PatternScalingChoice"},
        /* 46 */ {L"UseDiffFirstPageChoice", Is<UseDiffFirstPageChoiceTranslator>, L"printing/UseDiffFirstPageChoice"},
        /* 47 */ {L"BinderChoice", Is<BinderChoiceTranslator>, L"printing/BinderChoice"},
        /* 48 */ {L"IgnoreCollationChoice", Is<IgnoreCollationChoiceTranslator>, L"printing/IgnoreCollationChoice"},
        /* 49 */ {L"PageOrder", Is<PageOrderTranslator>, L"printing/PageOrder"},
        /* 50 */ {L"Tray1", Is<Tray1Translator>, L"physical/Tray1"},
        /* 51 */ {L"ManualDuplex", Is<ManualDuplexTranslator>, L"physical/ManualDuplex"},
        /* 52 */ {L"StraightPaperPath", Is<StraightPaperPathTranslator>, L"printing/StraightPaperPath",
                   false}, // no manual duplex fallback
        /* 53 */ {L"DryTime", Is<DryTimeTranslator>, L"printing/DryTime"},
        /* 54 */ {L"QZEmulateTXMargins", Is<QZEmulateTXMarginsTranslator>, L"printing/QZEmulateTXMargins"},
        /* 55 */ {L"QZSymmetricalMargins", Is<QZSymmetricalMarginsTranslator>, L"printing/QZSymmetricalMargins"},
        /* 56 */ {L"QZAutoDuplexScaling", Is<QZAutoDuplexScalingTranslator>, L"printing/Duplex/QZAutoDuplexScaling"},
        /* 57 */ {L"Punching", Is<PunchingTranslator>, L"printing/Punching"},
        /* 58 */ {L"QZPostInsertionKit", Is<NamedFeatureTranslator>, L"physical/QZPostInsertionKit"},
        /* 59 */ {L"Folding", Is<FoldingTranslator>, L"printing/Folding"},
        /* 60 */ {L"QZImageShift", Is<QZImageShiftTranslator>, L"printing/QZImageShift"},
        /* 61 */ {L"TransparencyInterleave", Is<TransparencyInterleaveTranslator>, L"printing/TransparencyInterleave"},
        /* 62 */ {L"QZPunchUnitType", Is<NamedFeatureTranslator>, L"physical/QZPunchUnitType"},
    };
    ASSERT_EQ(GDMCConfig::kFeatureKeys.count, sizeof rows / sizeof rows[0]);
    GOSFactory::Instance()->SetPrinterDataString(object, L"Stale", L"FALSE");
    std::unique_ptr<GDriverDMCConfig> config = MakeConfig();
    ASSERT_TRUE(WholeModelTree::MissingPaths(tree, *config).empty());
    ASSERT_EQ(1, config->Update(name.c_str(), 0));
    for (size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const auto& row = rows[i];
        EXPECT_STREQ(row.key, GDMCConfig::kFeatureKeys.rows[i].key) << "row " << i + 1;
        std::unique_ptr<FeatureTranslator> made(config->MapFeatureKeys(row.key));
        EXPECT_TRUE(row.check(made.get())) << Narrow(row.key);
        if (!made)
            continue;
        standin.Reset();
        made->ToAttributes(tree, nullptr);
        bool named = false;
        for (const std::wstring& line : standin.Log())
            named = named || Names(line, row.path);
        EXPECT_EQ(row.reads, named) << Narrow(row.key) << (row.reads ? " never asked for " : " asked for ")
                                    << Narrow(row.path);
    }
}

} // namespace
