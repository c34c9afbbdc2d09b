#include "SettingsTestServices.h"
#include "DmcStandin.h"
#include "settings/devmode/GKsJobPlugin.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct KsCall {
    std::string entry;
    std::vector<uint32_t> words;
    std::vector<uint8_t> record;
};

std::vector<KsCall> g_calls;
uint32_t g_beginAnswer = 0;

} // namespace

// Called by the plug-in stand-in for each of its entry points.
extern "C" __declspec(dllexport) uint32_t __cdecl QzTestKsJobCall(const char* entry, const uint32_t* words,
                                                                  uint32_t count, const void* record, uint32_t size)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(record);
    g_calls.push_back({entry, std::vector<uint32_t>(words, words + count),
                       bytes ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>()});
    return std::strncmp(entry, "ksBeginJob", 10) == 0 ? g_beginAnswer : 0;
}

namespace {

std::wstring Build(const wchar_t* variant) { return DmcStandin::ProgramFolder() + L"\\qzplom32-" + variant; }
std::wstring Library(const wchar_t* variant) { return Build(variant) + L"\\qzplom32.dll"; }
bool Loaded(const std::wstring& path) { return GetModuleHandleW(path.c_str()) != nullptr; }
RWWString W(const std::wstring& text) { return RWWString(text.c_str()); }
uint32_t Word(const void* pointer) { return uint32_t(uintptr_t(pointer)); }

const wchar_t* const kOutput = L"FILE:";
const wchar_t* const kDocument = L"Quarterly report";
const wchar_t kMarker[] = L"KS";

class KsJobPlugin : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_calls.clear();
        g_beginAnswer = 0x5150;
        services_ = &SettingsTestServices::Make();
        services_->moduleFolder = empty_;
        services_->systemFolder = empty_;
        CreateDirectoryW(empty_.c_str(), nullptr);
    }

    int Begin(GKsJobPlugin& plugin, const wchar_t* marker = kMarker)
    {
        return plugin.BeginJob(osVersion_, copies_, option_, kOutput, kDocument, marker);
    }

    const std::wstring empty_ = DmcStandin::ProgramFolder() + L"\\qzplom32-none";
    SettingsTestServices* services_ = nullptr;
    const uint32_t osVersion_ = 0x00060001, copies_ = 3, option_ = 434;
};

TEST_F(KsJobPlugin, AMissingLibraryNeitherLoadsNorBegins)
{
    GKsJobPlugin plugin(W(Build(L"whole") + L"\\absent.dll"));
    EXPECT_EQ(0, plugin.Load());
    EXPECT_EQ(0, Begin(plugin));
    GKsJobPlugin bare;
    EXPECT_EQ(0, bare.Load()) << "neither the module folder nor the system folder has it";
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(KsJobPlugin, TheExtendedBeginGetsAllFiveValuesAndTheMarker)
{
    const std::wstring path = Library(L"whole");
    GKsJobPlugin plugin(W(path));
    ASSERT_EQ(1, Begin(plugin));
    EXPECT_TRUE(Loaded(path));
    EXPECT_EQ(0x5150u, plugin.GetJob());
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ("ksBeginJobEx", g_calls[0].entry);
    EXPECT_EQ((std::vector<uint32_t>{osVersion_, copies_, option_, Word(kOutput), Word(kDocument), Word(kMarker)}),
              g_calls[0].words);
    EXPECT_EQ(1, plugin.EndJob(0));
    EXPECT_FALSE(Loaded(path));
}

TEST_F(KsJobPlugin, TheBeginOnlyBuildGetsCopiesOutputDocumentAndMarker)
{
    const std::wstring path = Library(L"beginonly");
    GKsJobPlugin plugin(W(path));
    ASSERT_EQ(1, Begin(plugin));
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ("ksBeginJob", g_calls[0].entry);
    EXPECT_EQ((std::vector<uint32_t>{copies_, Word(kOutput), Word(kDocument), Word(kMarker)}), g_calls[0].words);
    EXPECT_EQ(1, plugin.EndJob(1));
}

TEST_F(KsJobPlugin, NoMarkerOrANullJobGivesZeroAndUnloads)
{
    for (const wchar_t* variant : {L"whole", L"beginonly"}) {
        const std::wstring path = Library(variant);
        GKsJobPlugin plugin(W(path));
        g_calls.clear();
        EXPECT_EQ(0, Begin(plugin, nullptr)) << variant;
        EXPECT_TRUE(g_calls.empty()) << "no begin call without a marker";
        EXPECT_FALSE(Loaded(path));

        g_beginAnswer = 0;
        EXPECT_EQ(0, Begin(plugin)) << variant;
        EXPECT_EQ(1u, g_calls.size());
        EXPECT_FALSE(Loaded(path));
        EXPECT_EQ(0, plugin.EndPage());
        EXPECT_EQ(0, plugin.EndJob(1));
        g_beginAnswer = 0x5150;
    }
}

TEST_F(KsJobPlugin, EveryPageGetsTheSixteenByteRecord)
{
    GKsJobPlugin plugin(W(Library(L"whole")));
    ASSERT_EQ(1, Begin(plugin));
    EXPECT_EQ(1, plugin.EndPage());
    EXPECT_EQ(1, plugin.EndPage());
    ASSERT_EQ(3u, g_calls.size());
    const uint8_t expected[] = {0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ("ksEndPage", g_calls[i].entry);
        EXPECT_EQ(0x5150u, g_calls[i].words[0]);
        EXPECT_EQ(std::vector<uint8_t>(expected, expected + 16), g_calls[i].record);
    }
    plugin.EndJob(0);
}

TEST_F(KsJobPlugin, EndJobPassesOneOnlyForFlagOneAndUnloads)
{
    const struct { uint32_t flag; uint32_t passed; } rows[] = {{1, 1}, {2, 0}, {0, 0}, {0xFFFFFFFF, 0}};
    const std::wstring path = Library(L"whole");
    for (const auto& row : rows) {
        GKsJobPlugin plugin(W(path));
        g_calls.clear();
        ASSERT_EQ(1, Begin(plugin));
        EXPECT_EQ(1, plugin.EndJob(row.flag));
        ASSERT_EQ(2u, g_calls.size());
        EXPECT_EQ("ksEndJob", g_calls[1].entry);
        EXPECT_EQ((std::vector<uint32_t>{0x5150, row.passed}), g_calls[1].words) << row.flag;
        EXPECT_FALSE(Loaded(path));
        EXPECT_EQ(0u, plugin.GetJob());
        EXPECT_EQ(0, plugin.EndJob(row.flag)) << "no open job";
        EXPECT_EQ(2u, g_calls.size());
    }
}

TEST_F(KsJobPlugin, ALibraryWithoutEndPageDoesNotLoad)
{
    const std::wstring path = Library(L"noendpage");
    GKsJobPlugin plugin(W(path));
    EXPECT_EQ(0, plugin.Load());
    EXPECT_FALSE(plugin.IsLoaded());
    EXPECT_FALSE(Loaded(path));
    EXPECT_EQ(0, Begin(plugin));
    EXPECT_TRUE(g_calls.empty());
}

TEST_F(KsJobPlugin, ACopyTakesThePathOnlyAndAssignmentUnloads)
{
    const std::wstring path = Library(L"whole");
    GKsJobPlugin plugin(W(path));
    ASSERT_EQ(1, plugin.Load());
    GKsJobPlugin copy(plugin);
    EXPECT_FALSE(copy.IsLoaded());
    EXPECT_TRUE(plugin.IsLoaded());
    EXPECT_TRUE(copy.SamePath(plugin));
    EXPECT_FALSE(copy.SamePath(GKsJobPlugin(W(path + L"x"))));
    EXPECT_FALSE(GKsJobPlugin(L"QZPLOM32.DLL").SamePath(GKsJobPlugin()));
    EXPECT_TRUE(GKsJobPlugin(L"qzplom32.dll").SamePath(GKsJobPlugin()));

    GKsJobPlugin other(W(Library(L"beginonly")));
    plugin = other;
    EXPECT_FALSE(plugin.IsLoaded());
    EXPECT_FALSE(Loaded(path));
    EXPECT_TRUE(plugin.SamePath(other));
}

// A bare name must never load a library from the current folder (a document's folder).
TEST_F(KsJobPlugin, ABareNameLoadsTheModuleFoldersCopyNotTheCurrentFolders)
{
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(Build(L"beginonly").c_str()));

    GKsJobPlugin bare;
    EXPECT_EQ(0, bare.Load()) << "only the current folder has it";
    EXPECT_FALSE(Loaded(Library(L"beginonly")));

    services_->moduleFolder = Build(L"whole");
    ASSERT_EQ(1, Begin(bare));
    EXPECT_TRUE(Loaded(Library(L"whole")));
    EXPECT_FALSE(Loaded(Library(L"beginonly")));
    ASSERT_EQ(1u, g_calls.size());
    EXPECT_EQ("ksBeginJobEx", g_calls[0].entry) << "the whole build, from the module folder";
    bare.EndJob(0);

    services_->moduleFolder = empty_;
    services_->systemFolder = Build(L"beginonly");
    g_calls.clear();
    ASSERT_EQ(1, Begin(bare)) << "the system folder is the second place looked in";
    EXPECT_EQ("ksBeginJob", g_calls[0].entry);
    bare.EndJob(0);

    SetCurrentDirectoryW(previous);
}

// The library is found by its wide path: a path longer than a narrow file-open name
// (127 characters) loads as any other.
TEST_F(KsJobPlugin, APathLongerThanANarrowOpenFileNameLoads)
{
    const std::wstring folder = DmcStandin::ProgramFolder() + L"\\" + std::wstring(170, L'k');
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\qzplom32.dll";
    ASSERT_GT(path.size(), 200u);
    ASSERT_TRUE(CopyFileW(Library(L"whole").c_str(), path.c_str(), FALSE));
    GKsJobPlugin plugin(W(path));
    ASSERT_EQ(1, Begin(plugin));
    EXPECT_TRUE(Loaded(path));
    EXPECT_EQ(1, plugin.EndJob(0));
    EXPECT_FALSE(Loaded(path));
}

TEST(KsJobPluginVersion, TheExtendedBeginTakesTheMiddleWordOfTheVersionRecord)
{
    struct VersionServices : SettingsTestServices {
        void GetOSVersion(uint32_t& kind, uint32_t& version, uint32_t& build) override
        {
            kind = 2, version = 0x0005000A, build = 2600;
        }
    };
    new VersionServices;
    EXPECT_EQ(0x0005000Au, GKsJobPlugin::CurrentOSVersion());
}

} // namespace
