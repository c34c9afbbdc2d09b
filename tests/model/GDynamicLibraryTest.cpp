#include "model/GDynamicLibrary.h"

#include "ChildProcess.h"
#include "StoredForms.h"

#include <gtest/gtest.h>

static int g_programCalls = 0;

// An export of the test program under the library's name: a library that did not load
// must never reach it through a null module.
extern "C" __declspec(dllexport) int __cdecl StandinCdecl(int) { return ++g_programCalls; }

namespace {

RWWString StandinPath()
{
    const std::string program = ThisProgram();
    return RWWString((program.substr(0, program.find_last_of('\\') + 1) + "qzstandin.dll").c_str());
}

bool StandinInProcess() { return GetModuleHandleW(L"qzstandin.dll") != nullptr; }

TEST(GDynamicLibraryCall, BothConventionsAndMissingExportsOrLibraries)
{
    GDynamicLibrary library(StandinPath());
    EXPECT_EQ(41, library.Call("StandinCdecl", 20));
    EXPECT_EQ(uint16_t(0xFFFE), library.Call2("StandinStdcall", 3, 5));
    EXPECT_EQ(0, library.Call("NoSuchExport", 1));
    EXPECT_EQ(0, library.Call2("NoSuchExport", 1, 2));

    GDynamicLibrary missing(RWWString(L"qz-no-such-library.dll"));
    EXPECT_EQ(0, missing.Call("StandinCdecl", 1));
    EXPECT_EQ(0, missing.Call2("StandinStdcall", 1, 2));
    EXPECT_EQ(0, g_programCalls);
}

TEST(GDynamicLibraryLoads, CopiesKeepTheLoadCountBalanced)
{
    {
        GDynamicLibrary original(StandinPath());
        ASSERT_EQ(1u, original.Load());
        {
            GDynamicLibrary copy(original);
            GDynamicLibrary assigned;
            assigned = original;
            assigned = assigned;
            EXPECT_TRUE(copy.IsLoaded() && assigned.IsLoaded());
            std::unique_ptr<GDynamicLibrary> made(original.Copy());
            const GDynamicLibrary unloaded(StandinPath());
            EXPECT_TRUE(made->IsSame(&original));
            EXPECT_FALSE(made->IsSame(&unloaded));
        }
        EXPECT_TRUE(StandinInProcess());
        EXPECT_EQ(41, original.Call("StandinCdecl", 20));
    }
    EXPECT_FALSE(StandinInProcess());
}

TEST(GDynamicLibraryStore, RestoreTakesThePathAndUnloads)
{
    GDynamicLibrary stored(RWWString(L"ab"));
    const std::vector<uint8_t> guts = GutsBytes(stored);
    ASSERT_EQ(stored.BinaryStoreSize(), guts.size());
    const std::vector<uint8_t> tail(guts.end() - 12, guts.end());
    EXPECT_EQ((std::vector<uint8_t>{1, 0, 0, 0, 2, 0, 0, 0, 'a', 0, 'b', 0}), tail);

    GDynamicLibrary loaded(StandinPath());
    ASSERT_EQ(1u, loaded.Load());
    RestoreGutsFrom(loaded, guts);
    EXPECT_EQ(0u, loaded.IsLoaded());
    EXPECT_FALSE(StandinInProcess());
    EXPECT_EQ(0, loaded.GetPath().CompareTo(L"ab"));
    for (StreamKind kind : {StreamKind::Portable, StreamKind::Binary, StreamKind::Endian}) {
        GDynamicLibrary back;
        EXPECT_TRUE(StreamGutsInto(kind, stored, back));
        EXPECT_TRUE(back.IsSame(&stored));
    }
}

} // namespace

// Only full paths load, and a library named by data loads only from inside a trusted
// folder: a bare name is looked for along the search path, a "." or ".." step or a
// forward slash can lead out of the folder, a trailing dot or space names another file.
TEST(GDynamicLibraryPaths, FullPathsAndFoldersTheyLieIn)
{
    const struct {
        const wchar_t* path;
        bool full;
        bool inside; // inside "C:\drivers\x86"
    } rows[] = {
        {L"C:\\drivers\\x86\\addon.dll", true, true},
        {L"c:\\DRIVERS\\X86\\sub\\addon.dll", true, true},
        {L"C:\\drivers\\x86", true, false},
        {L"C:\\drivers\\x86\\", false, false},
        {L"C:\\drivers\\x86extra\\addon.dll", true, false},
        {L"C:\\drivers\\x86\\..\\addon.dll", false, false},
        {L"C:\\drivers\\x86\\.\\addon.dll", false, false},
        {L"C:\\drivers\\x86\\addon.dll.", false, false},
        {L"C:\\drivers\\x86\\addon.dll ", false, false},
        {L"C:\\drivers\\x86/addon.dll", false, false},
        {L"C:\\drivers\\x86\\addon.dll:stream", false, false},
        {L"C:drivers\\x86\\addon.dll", false, false},
        {L"\\drivers\\x86\\addon.dll", false, false},
        {L"addon.dll", false, false},
        {L"\\\\server\\share\\addon.dll", true, false},
        {L"\\\\?\\C:\\drivers\\x86\\addon.dll", false, false},
        {L"\\\\.\\C:\\drivers\\x86\\addon.dll", false, false},
        {L"\\\\server\\\\addon.dll", false, false},
        {L"", false, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.full, GDynamicLibrary::IsFullPath(RWWString(row.path))) << std::wstring(row.path).size();
        for (const wchar_t* folder : {L"C:\\drivers\\x86", L"C:\\drivers\\x86\\"})
            EXPECT_EQ(row.inside, GDynamicLibrary::IsInsideFolder(RWWString(row.path), RWWString(folder)))
                << std::wstring(row.path).size();
    }
    EXPECT_FALSE(GDynamicLibrary::IsInsideFolder(RWWString(L"C:\\a\\b.dll"), RWWString()));
    EXPECT_FALSE(GDynamicLibrary::IsInsideFolder(RWWString(L"C:\\a\\b.dll"), RWWString(L"a")));
    // A bare name does not load, even of a library the process already has.
    GDynamicLibrary bare(RWWString(L"kernel32.dll"));
    EXPECT_EQ(0u, bare.Load());
}
