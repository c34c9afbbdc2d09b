#include "SettingsTestServices.h"
#include "DmcStandin.h"
#include "ScratchDirectory.h"
#include "settings/dmc/GDMCLibrary.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const wchar_t kPrinter[] = L"\\\\srv\\Colour";

// The registration command: the system folder's program, with the library's path.
std::wstring Command(const std::wstring& system, const std::wstring& folder)
{
    return L"\"" + system + L"\\regsvr32.exe\" /s \"" + folder + L"\\QZVRTA32.dll\"";
}

// Every token of a list, taken through the binding.
std::vector<std::wstring> Tokens(GDMCLibrary& library, const wchar_t* list)
{
    std::vector<std::wstring> tokens;
    wchar_t rest[DMCAbi::kListChars];
    std::wcsncpy(rest, list, DMCAbi::kListChars - 1);
    rest[DMCAbi::kListChars - 1] = 0;
    wchar_t token[DMCAbi::kKeywordChars];
    for (int guard = 0; guard < 200 && library.EnumListToken(token, DMCAbi::kKeywordChars, rest, DMCAbi::kListChars);
         ++guard)
        tokens.push_back(token);
    return tokens;
}

std::vector<std::wstring> Section(GDMCLibrary& library, const wchar_t* section)
{
    wchar_t list[DMCAbi::kListChars];
    if (!library.EnumFeatures(section, list, DMCAbi::kListChars))
        return {};
    return Tokens(library, list);
}

TEST(DMCLibraryBinding, AbsentLibraryIsNeitherLoadedNorBoundAndEveryAccessorAnswersZero)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::ProgramFolder() + L"\\no-such-folder";
    GDMCLibrary library;
    EXPECT_EQ(0u, library.IsLoaded());
    EXPECT_EQ(0u, library.IsBound());
    wchar_t keyword[8] = L"before";
    EXPECT_EQ(0, library.StartConfig(kPrinter, 1, DMCAbi::kDriverContext, 0));
    EXPECT_EQ(0, library.StartExport(kPrinter, DMCAbi::kDriverContext, 1));
    EXPECT_EQ(0, library.SetContext(L"printing/Duplex"));
    EXPECT_EQ(0, library.Get(nullptr, keyword, 8));
    EXPECT_STREQ(L"before", keyword);
    EXPECT_EQ(0, library.EndConfig());
}

TEST(DMCLibraryBinding, RegistersTheLibraryBesideTheModuleWithItsPathQuoted)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::ProgramFolder() + L"\\a folder with blanks";
    services.systemFolder = L"C:\\Sys Folder\\system32";
    GDMCLibrary library;
    ASSERT_EQ(1u, services.commands.size());
    EXPECT_EQ(Command(services.systemFolder, services.moduleFolder), services.commands[0]);
    EXPECT_EQ(5, services.shows[0]);
    EXPECT_EQ(services.moduleFolder + L"\\QZVRTA32.dll", std::wstring(library.GetPath().Data()));
}

// Without the module's folder the library's name would be a root's ("\\QZVRTA32.dll"):
// nothing is registered or loaded.
TEST(DMCLibraryBinding, AnEmptyModuleFolderRegistersAndLoadsNothing)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = L"";
    services.systemFolder = L"C:\\windows\\system32";
    GDMCLibrary library;
    EXPECT_TRUE(services.commands.empty());
    EXPECT_EQ(0u, library.IsLoaded());
    EXPECT_EQ(0u, library.IsBound());
}

// The registration program is taken from the system folder only: one of that name in the
// current folder never starts (by a bare name it would), and without a system folder
// nothing starts at all.
TEST(DMCLibraryBinding, RegistrationNeverStartsAProgramOfTheCurrentFolder)
{
    ScratchDirectory current("dmc-current-folder");
    ASSERT_TRUE(current.Entered());
    const std::wstring here(current.Path().begin(), current.Path().end());
    ASSERT_TRUE(CopyFileW((DmcStandin::ProgramFolder() + L"\\qzmarkerprog.exe").c_str(),
                          (here + L"\\regsvr32.exe").c_str(), FALSE));
    const std::wstring noProgram = here + L"\\system";
    ASSERT_TRUE(CreateDirectoryW(noProgram.c_str(), nullptr));

    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::Folder();
    services.systemFolder = noProgram;
    services.runCommands = true;
    { GDMCLibrary library; }
    ASSERT_EQ(1u, services.commands.size());
    EXPECT_EQ(Command(noProgram, services.moduleFolder), services.commands[0]);
    EXPECT_LE(services.results[0], 31u) << "nothing started";
    EXPECT_GT(services.GOSFactory::RunCommand(L"regsvr32 /s x", 0), 31u) << "the bare name finds the marker";

    services.systemFolder.clear();
    { GDMCLibrary library; }
    EXPECT_EQ(1u, services.commands.size()) << "no system folder, no command";
    RemoveDirectoryW(noProgram.c_str());
}

TEST(DMCLibraryBinding, CompleteLibraryIsLoadedAndBoundAndPassesCallsThrough)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::Folder();
    DmcStandin standin;
    ASSERT_TRUE(standin.Loaded());
    {
        GDMCLibrary library;
        EXPECT_EQ(1u, library.IsLoaded());
        EXPECT_EQ(1u, library.IsBound());
        EXPECT_EQ(1, library.StartConfig(kPrinter, 2, DMCAbi::kDriverContext, 0));
        EXPECT_EQ(1, library.SetContext(L"printing/Duplex"));
        wchar_t keyword[DMCAbi::kKeywordChars];
        EXPECT_EQ(1, library.Get(nullptr, keyword, DMCAbi::kKeywordChars));
        EXPECT_STREQ(L"TRUE", keyword);
        EXPECT_EQ(1, library.Get(L"printing/PaperSize", keyword, DMCAbi::kKeywordChars));
        EXPECT_STREQ(L"LETTER", keyword);
        EXPECT_EQ(0, library.SetListSeparator(7));
        EXPECT_EQ(0, library.GetNamedOptionAttribute(1, 2, 3));
        EXPECT_EQ(0, library.EnumFeatureAttributes(4, 5));
        EXPECT_EQ(1, library.EndConfig());
    }
    const std::vector<std::wstring> expected = {
        std::wstring(L"DMCStartConfig ") + kPrinter + L" 2 DMC_DRIVER 0",
        L"DMCSetContext printing/Duplex",
        L"DMCGet -",
        L"DMCGet printing/PaperSize",
        L"DMCSetListSeparator 7",
        L"DMCGetNamedOptionAttribute 1 2 3",
        L"DMCEnumFeatureAttributes 4 5",
        L"DMCEndConfig"};
    EXPECT_EQ(expected, standin.Log());
}

TEST(DMCLibraryBinding, LibraryWithoutOneEntryPointIsBoundButNotLoadedAndThatAccessorAnswersZero)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::FolderWithout();
    DmcStandin standin(DmcStandin::FolderWithout());
    ASSERT_TRUE(standin.Loaded());
    GDMCLibrary library;
    EXPECT_EQ(0u, library.IsLoaded());
    EXPECT_EQ(1u, library.IsBound());
    EXPECT_EQ(0, library.EnumFeatureAttributes(1, 2));
    EXPECT_EQ(1, library.StartConfig(kPrinter, 0, DMCAbi::kDriverContext, 0));
    EXPECT_EQ((std::vector<std::wstring>{std::wstring(L"DMCStartConfig ") + kPrinter + L" 0 DMC_DRIVER 0"}),
              standin.Log());
}

TEST(DMCLibraryBinding, KeywordEqualsIsExactAndAnswersTheCommonLength)
{
    const struct { const wchar_t* a; const wchar_t* b; uint32_t expected; } rows[] = {
        {L"Best", L"best", 0}, {L"", L"", 1},   {L"Best", L"Best", 4}, {L"Bes", L"Best", 0},
        {L"Best", L"Bes", 0},  {L"x", L"", 0},  {L"", L"x", 0},        {L"TRUE", L"TRUE", 4},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, GDMCLibrary::KeywordEquals(row.a, row.b)) << row.a << L" / " << row.b;
}

TEST(DMCLibraryBinding, CopyWideCopiesTheTerminatorAndAnswersTheDestination)
{
    wchar_t buffer[8];
    std::wmemset(buffer, L'#', 8);
    EXPECT_EQ(buffer, GDMCLibrary::CopyWide(buffer, L"Tray1"));
    EXPECT_STREQ(L"Tray1", buffer);
    EXPECT_EQ(L'#', buffer[6]);
}

DMCHelperRecord g_seen;
int g_helperCalls = 0;
int32_t g_helperAnswer = 0;

int32_t __cdecl RecordingHelper(DMCHelperRecord* record)
{
    ++g_helperCalls;
    g_seen = *record;
    return g_helperAnswer;
}

TEST(DMCLibraryBinding, CallHelperFillsTheRecordAndWidensASigned16BitAnswer)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::ProgramFolder() + L"\\no-such-folder";
    GDMCLibrary library;
    g_helperCalls = 0;
    EXPECT_EQ(0, library.CallHelper(1, nullptr, 2, 3)) << "no helper";
    EXPECT_EQ(0, g_helperCalls);

    GDMCConfig* config = reinterpret_cast<GDMCConfig*>(uintptr_t(0x00C0FFEE));
    library.SetHelper(RecordingHelper, config);
    const int marker = 0;
    const struct { int32_t answer; int32_t expected; } rows[] = {
        {0xFFFF, -1}, {0x7FFF, 0x7FFF}, {0x8000, -0x8000}, {0x12345, 0x2345}, {0, 0}};
    for (const auto& row : rows) {
        g_helperAnswer = row.answer;
        EXPECT_EQ(row.expected, library.CallHelper(248, &marker, 7, 9)) << row.answer;
        EXPECT_EQ(248u, g_seen.a);
        EXPECT_EQ(0x00C0FFEEu, g_seen.config);
        EXPECT_EQ(7u, g_seen.c);
        EXPECT_EQ(9u, g_seen.d);
        EXPECT_EQ(uint32_t(uintptr_t(&marker)), g_seen.b);
    }
    EXPECT_EQ(5, g_helperCalls);
}

TEST(DMCLibraryBinding, ALongKeywordArrivesCutToEveryCapacityWithoutWritingPastIt)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::Folder();
    DmcStandin standin;
    standin.Set(L"LongKeyword", L"printing/Duplex");
    GDMCLibrary library;
    ASSERT_EQ(1u, library.IsLoaded());
    ASSERT_EQ(1, library.StartConfig(kPrinter, 0, DMCAbi::kDriverContext, 0));
    ASSERT_EQ(1, library.SetContext(L"printing/Duplex"));
    std::wstring full;
    for (size_t i = 0; i < 254; ++i)
        full += wchar_t(L'A' + i % 26);
    const wchar_t kGuard = 0xBEEF;
    for (size_t capacity : {1u, 2u, 32u, 64u, 128u, 254u, 255u, 300u}) {
        std::vector<wchar_t> buffer(capacity + 16, kGuard);
        EXPECT_EQ(1, library.Get(nullptr, buffer.data(), capacity)) << capacity;
        const size_t kept = capacity - 1 < 254 ? capacity - 1 : 254;
        EXPECT_EQ(full.substr(0, kept), std::wstring(buffer.data())) << capacity;
        for (size_t i = kept + 1; i < buffer.size(); ++i)
            ASSERT_EQ(kGuard, buffer[i]) << capacity << " at " << i;
        std::vector<wchar_t> byPath(capacity + 16, kGuard);
        EXPECT_EQ(1, library.Get(L"printing/Duplex", byPath.data(), capacity)) << capacity;
        EXPECT_EQ(full.substr(0, kept), std::wstring(byPath.data())) << capacity;
        EXPECT_EQ(kGuard, byPath[kept + 1]);
    }
}

TEST(DMCLibraryBinding, NarrowAndListAnswersAreCutToTheCallersCapacity)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::Folder();
    DmcStandin standin;
    GDMCLibrary library;
    ASSERT_EQ(1u, library.IsLoaded());
    char narrow[16];
    std::memset(narrow, '#', sizeof narrow);
    EXPECT_EQ(1, library.WideToChar(narrow, 8, L"1234567890"));
    EXPECT_STREQ("1234567", narrow);
    EXPECT_EQ('#', narrow[8]);
    wchar_t wide[16];
    std::wmemset(wide, L'#', 16);
    EXPECT_EQ(1, library.CharToWide(wide, 4, "-15"));
    EXPECT_STREQ(L"-15", wide);
    EXPECT_EQ(L'#', wide[4]);

    ASSERT_EQ(1, library.StartConfig(kPrinter, 0, DMCAbi::kDriverContext, 0));
    wchar_t list[24];
    std::wmemset(list, L'#', 24);
    EXPECT_EQ(1, library.EnumFeatures(L"physical", list, 16));
    EXPECT_EQ(std::wstring(L"Bundles,Tray1,E"), std::wstring(list));
    EXPECT_EQ(L'#', list[16]);
}

TEST(DMCLibraryBinding, SectionsListTheirFeatureKeysOnceEachInFileOrder)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::Folder();
    DmcStandin standin;
    GDMCLibrary library;
    ASSERT_EQ(1u, library.IsLoaded());
    ASSERT_EQ(1, library.StartConfig(kPrinter, 0, DMCAbi::kDriverContext, 0));
    const std::vector<std::wstring> physical = {
        L"Bundles",         L"Tray1",        L"EnvFeeder",          L"DuplexUnit",
        L"Memory",          L"PrinterHardDisk", L"JobRetentionAvailable", L"JobRetention",
        L"QZPostInsertionKit", L"QZPunchUnitType", L"OptionalPaperSources", L"AccessoryOutputBins"};
    EXPECT_EQ(physical, Section(library, L"physical"));
    EXPECT_EQ(physical, Section(library, L"factory/physical"));

    const std::vector<std::wstring> printing = Section(library, L"printing");
    ASSERT_GE(printing.size(), 40u);
    EXPECT_EQ(L"QZChromafit", printing[0]);
    EXPECT_EQ(L"RGBColor", printing[1]) << "a feature with sub-features is listed once";
    EXPECT_EQ(L"MediaType", printing[2]);
    EXPECT_EQ(L"PrintColorAsGray", printing[3]);
    EXPECT_EQ(L"PrintColorAsGray[TRUE]", printing[4]);
    EXPECT_EQ(printing, Section(library, L"factory/printing"));
    for (size_t i = 0; i < printing.size(); ++i)
        for (size_t j = i + 1; j < printing.size(); ++j)
            EXPECT_NE(printing[i], printing[j]);

    wchar_t list[DMCAbi::kListChars] = L"unchanged";
    EXPECT_EQ(0, library.EnumFeatures(L"nothing", list, DMCAbi::kListChars));
    EXPECT_EQ(0, library.EnumFeatures(L"factory", list, DMCAbi::kListChars));
    EXPECT_TRUE(Tokens(library, L"").empty());
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), Tokens(library, L"a,b"));
}

TEST(DMCLibraryBinding, AttributesSwitchesAndExportsReachTheCaller)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::Folder();
    DmcStandin standin;
    {
        GDMCLibrary library;
        ASSERT_EQ(1u, library.IsLoaded());
        ASSERT_EQ(1, library.StartConfig(kPrinter, 0, DMCAbi::kDriverContext, 0));
        wchar_t text[DMCAbi::kKeywordChars];
        for (const wchar_t* locked : {L"printing/OutputBin", L"printing/InputBin", L"printing/Duplex"}) {
            EXPECT_EQ(1, library.GetNamedFeatureAttribute(locked, L"lock", text, DMCAbi::kKeywordChars)) << locked;
            EXPECT_STREQ(L"TRUE", text);
        }
        EXPECT_EQ(0, library.GetNamedFeatureAttribute(L"printing/Copies", L"lock", text, DMCAbi::kKeywordChars));

        standin.Set(L"AnswerTwo", L"DMCEnumFeatures");
        standin.Set(L"AnswerTwo", L"DMCGet");
        standin.Set(L"AnswerTwo", L"DMCGetNamedFeatureAttribute");
        standin.Set(L"RefuseContext", L"printing/Copies");
        standin.Set(L"RefuseSection", L"printing");
        standin.Set(L"FailSetExport", L"printing/Orientation");
        wchar_t list[DMCAbi::kListChars];
        EXPECT_EQ(2, library.EnumFeatures(L"physical", list, DMCAbi::kListChars));
        EXPECT_EQ(0, library.EnumFeatures(L"printing", list, DMCAbi::kListChars));
        EXPECT_EQ(2, library.Get(L"printing/PrintQuality", text, DMCAbi::kKeywordChars));
        EXPECT_STREQ(L"Best", text);
        EXPECT_EQ(1, library.SetContext(L"printing/PrintQuality"));
        EXPECT_EQ(1, library.Get(nullptr, text, DMCAbi::kKeywordChars)) << "only a call with a path answers 2";
        EXPECT_EQ(2, library.GetNamedFeatureAttribute(L"printing/Duplex", L"lock", text, DMCAbi::kKeywordChars));
        EXPECT_EQ(0, library.SetContext(L"printing/Copies"));

        EXPECT_EQ(1, library.StartExport(kPrinter, DMCAbi::kDriverContext, 1));
        EXPECT_EQ(1, library.SetExport(L"printing/Duplex", L"FALSE"));
        EXPECT_EQ(0, library.SetExport(L"printing/Orientation", L"Landscape"));
        EXPECT_EQ(1, library.SetExport(L"physical/Memory", L"512"));
        EXPECT_EQ(1, library.SetExport(L"printing/Duplex", L"TRUE"));
        EXPECT_EQ(1, library.EndExport());
    }
    // The stand-in's state outlives the binding's unload.
    EXPECT_EQ((std::vector<std::wstring>{L"printing/Duplex=TRUE", L"physical/Memory=512"}),
              standin.Exports(kPrinter));
    standin.Set(L"RefuseStartConfig");
    standin.Set(L"RefuseStartExport");
    SettingsTestServices::Make().moduleFolder = DmcStandin::Folder();
    GDMCLibrary again;
    EXPECT_EQ(0, again.StartConfig(kPrinter, 0, DMCAbi::kDriverContext, 0));
    EXPECT_EQ(0, again.StartExport(kPrinter, DMCAbi::kDriverContext, 1));
}

TEST(DMCLibraryBinding, ATokenIsCutToItsCapacityAndTheRestOfTheListStays)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::Folder();
    DmcStandin standin;
    GDMCLibrary library;
    ASSERT_EQ(1u, library.IsLoaded());
    wchar_t list[32] = L"Tray1,EnvFeeder";
    wchar_t token[8];
    std::wmemset(token, L'#', 8);
    EXPECT_EQ(1, library.EnumListToken(token, 4, list, 32));
    EXPECT_STREQ(L"Tra", token);
    EXPECT_EQ(L'#', token[4]);
    EXPECT_STREQ(L"EnvFeeder", list);
    EXPECT_EQ(1, library.EnumListToken(token, 8, list, 32));
    EXPECT_STREQ(L"EnvFeed", token);
    EXPECT_STREQ(L"", list);
    EXPECT_EQ(0, library.EnumListToken(token, 8, list, 32));
}

TEST(DMCLibraryBinding, EachPrinterKeepsItsOwnExports)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::Folder();
    DmcStandin standin;
    GDMCLibrary library;
    ASSERT_EQ(1u, library.IsLoaded());
    ASSERT_EQ(1, library.StartExport(L"First", DMCAbi::kDriverContext, 1));
    EXPECT_EQ(1, library.SetExport(L"printing/Copies", L"2"));
    ASSERT_EQ(1, library.StartExport(L"Second", DMCAbi::kDriverContext, 1));
    EXPECT_EQ(1, library.SetExport(L"printing/Copies", L"5"));
    EXPECT_EQ((std::vector<std::wstring>{L"printing/Copies=2"}), standin.Exports(L"First"));
    EXPECT_EQ((std::vector<std::wstring>{L"printing/Copies=5"}), standin.Exports(L"Second"));
    EXPECT_TRUE(standin.Exports(L"Third").empty());
}

// The model describes every feature the translators ask for by path, each with a keyword.
TEST(DMCLibraryModel, EveryTranslatedFeatureHasAKeyword)
{
    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = DmcStandin::Folder();
    DmcStandin standin;
    GDMCLibrary library;
    ASSERT_EQ(1u, library.IsLoaded());
    ASSERT_EQ(1, library.StartConfig(kPrinter, 0, DMCAbi::kDriverContext, 0));
    static const wchar_t* const kPaths[] = {
        L"physical/Bundles", L"physical/Tray1", L"physical/EnvFeeder", L"physical/DuplexUnit", L"physical/Memory",
        L"physical/PrinterHardDisk", L"physical/JobRetentionAvailable", L"physical/JobRetention",
        L"physical/QZPostInsertionKit", L"physical/QZPunchUnitType", L"physical/OptionalPaperSources",
        L"physical/AccessoryOutputBins",
        L"printing/QZChromafit", L"printing/RGBColor", L"printing/MediaType", L"printing/PrintColorAsGray",
        L"printing/PrintColorAsGray[TRUE]/PrintColorAsGrayOptions", L"printing/InputBin", L"printing/PrintQuality",
        L"printing/PaperSize", L"printing/Duplex", L"printing/Duplex/DuplexEdge",
        L"printing/Duplex/QZAutoDuplexScaling", L"printing/EconoMode", L"printing/Orientation",
        L"printing/StaplerChoice", L"printing/StaplerChoice/Stapling", L"printing/Stapling", L"printing/OutputBin",
        L"printing/Copies", L"printing/TextAsBlack", L"printing/NUpChoice", L"printing/NUpChoice/NUpBordersChoice",
        L"printing/NUpChoice/NUpPageOrderChoice", L"printing/FitToOtherSizeChoice",
        L"printing/FitToOtherSizeChoice/TargetSizeChoice", L"printing/ScalePageChoice", L"printing/ScaleChoice",
        L"printing/BookletPrintingChoice", L"printing/TTAsBitmapSetting", L"printing/BookletTargetSize",
        L"printing/Watermarks", L"printing/Watermarks/WMColor", L"printing/Watermarks/WMFont",
        L"printing/Watermarks/WMFontEscapement", L"printing/Watermarks/WMFirstPageOnly",
        L"printing/Watermarks/WMFontStyle", L"printing/Watermarks/WMShadeLevel", L"printing/Resolution",
        L"printing/EdgeToEdge", L"printing/JobRetentionModeChoice", L"printing/RasterizationChoice",
        L"printing/MetChoice", L"printing/RetChoice", L"printing/PatternScalingChoice",
        L"printing/UseDiffFirstPageChoice", L"printing/UseDiffFirstPageChoice/MediaTypeRest",
        L"printing/UseDiffFirstPageChoice/InputBinRest", L"printing/UseDiffFirstPageChoice/BackCoverChoice",
        L"printing/UseDiffFirstPageChoice/BackCoverChoice/BackCoverMediaTypeSetting",
        L"printing/UseDiffFirstPageChoice/BackCoverChoice/BackCoverTrayChoice", L"printing/BinderChoice",
        L"printing/IgnoreCollationChoice", L"printing/PageOrder", L"printing/StraightPaperPath", L"printing/DryTime",
        L"printing/QZEmulateTXMargins", L"printing/QZSymmetricalMargins", L"printing/Punching", L"printing/Folding",
        L"printing/QZImageShift", L"printing/TransparencyInterleave"};
    for (const wchar_t* path : kPaths) {
        EXPECT_EQ(1, library.SetContext(path)) << path;
        wchar_t keyword[DMCAbi::kKeywordChars] = L"";
        EXPECT_EQ(1, library.Get(nullptr, keyword, DMCAbi::kKeywordChars)) << path;
        EXPECT_NE(L'\0', keyword[0]) << path;
    }
    const struct { const wchar_t* path; const wchar_t* keyword; } devices[] = {
        {L"physical/AccessoryOutputBins", L"W1908"}, {L"physical/OptionalPaperSources", L"Tray 3"},
        {L"physical/DuplexUnit", L"Installed"},      {L"physical/Memory", L"256"},
        {L"printing/InputBin", L"Tray2"},            {L"printing/PaperSize", L"LETTER"},
        {L"printing/MediaType", L"PLAIN"}};
    for (const auto& device : devices) {
        wchar_t keyword[DMCAbi::kKeywordChars] = L"";
        EXPECT_EQ(1, library.Get(device.path, keyword, DMCAbi::kKeywordChars));
        EXPECT_STREQ(device.keyword, keyword) << device.path;
    }
    EXPECT_EQ(0, library.SetContext(L"physical/ScannerChoice")) << "a feature the model does not have";
}

// Registration runs the real registration program on a copy of the library in a folder
// whose name has blanks; the library's registration entry logs beside it.
TEST(DMCLibraryRegistration, ALibraryInAFolderWithBlanksIsRegistered)
{
    const std::wstring folder = DmcStandin::ProgramFolder() + L"\\dmc registration folder";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((DmcStandin::Folder() + L"\\QZVRTA32.dll").c_str(), (folder + L"\\QZVRTA32.dll").c_str(),
                          FALSE));
    const std::wstring log = folder + L"\\QZVRTA32.log";
    DeleteFileW(log.c_str());

    SettingsTestServices& services = SettingsTestServices::Make();
    services.moduleFolder = folder;
    services.systemFolder = services.RealSystemFolder();
    services.runCommands = true;
    {
        GDMCLibrary library;
        EXPECT_EQ(1u, library.IsLoaded());
    }
    std::string text;
    for (int wait = 0; wait < 600 && text.find("DllRegisterServer") == std::string::npos; ++wait) {
        Sleep(100);
        std::ifstream in(std::string(log.begin(), log.end()));
        std::stringstream read;
        read << in.rdbuf();
        text = read.str();
    }
    EXPECT_NE(std::string::npos, text.find("DllRegisterServer")) << "no registration within 60 s";
    EXPECT_NE(std::string::npos, text.find("dmc registration folder\\QZVRTA32.dll")) << text;
}

} // namespace
