#include "model/OSVersionRecord.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

namespace {

struct ClassifyCase {
    OSVersionFacts facts;
    int result;
    OSVersionRecord record;
};

TEST(OSVersionClassify, EveryRowOfTheTable)
{
    const std::string unterminated(128, 'W');
    const ClassifyCase cases[] = {
        {{0, 0, 3, 10, 0, false, nullptr, 0, false}, 1, {4, 0x00030000 | 10, 0}},
        {{0, 1, 4, 0, 950, false, nullptr, 0, false}, 1, {6, 0x00040000, 950}},
        {{0, 1, 4, 10, 1998, false, nullptr, 0, false}, 1, {7, 0x0004000A, 1998}},
        {{0, 1, 4, 20, 1, false, nullptr, 0, false}, 1, {6, 0x00040014, 1}},
        {{0, 1, 4, 90, 3000, false, nullptr, 0, false}, 1, {8, 0x0004005A, 3000}},
        {{0, 2, 4, 0, 1381, true, "WinNT", 6, false}, 1, {9, 0x00040000, 1381}},
        {{0, 2, 4, 0, 1381, true, "ServerNT", 9, true}, 1, {10, 0x00040000, 1381}},
        {{0, 2, 5, 0, 2195, true, "WinNT", 6, true}, 1, {13, 0x00050000, 2195}},
        {{0, 2, 5, 0, 2195, true, "winnt", 6, false}, 1, {9, 0x00050000, 2195}},
        {{0, 2, 5, 0, 2195, true, "LanmanNT", 9, true}, 1, {10, 0x00050000, 2195}},
        {{0, 2, 5, 1, 0x10000 | 2600, false, nullptr, 0, false}, 1, {14, 0x00050001, 2600}},
        {{0, 2, 5, 0, 2195, false, nullptr, 0, false}, 0, {}},
        {{0, 2, 6, 1, 7601, false, nullptr, 0, false}, 0, {}},
        {{0, 3, 5, 0, 1, false, nullptr, 0, false}, 0, {}},
        {{0, 1, 3, 95, 1, false, nullptr, 0, false}, 0, {}},
        {{1, 1, 4, 90, 3000, false, nullptr, 0, false}, 1, {5, 0x0004005A, 3000}},
        {{2, 2, 3, 51, 0, true, "WinNT", 6, true}, 1, {13, 0x00030033, 0}},
        {{0, 2, 5, 0, 2195, true, unterminated.c_str(), 128, true}, 0, {}},
    };
    for (const ClassifyCase& c : cases) {
        OSVersionRecord record = {77, 77, 77};
        const OSVersionRecord expected = c.result ? c.record : OSVersionRecord{77, 77, 77};
        EXPECT_EQ(c.result, ClassifyOSVersion(c.facts, record)) << c.facts.major << "." << c.facts.minor;
        EXPECT_EQ(expected, record) << c.facts.major << "." << c.facts.minor << " kind " << record.kind;
    }
}

TEST(OSVersionClassify, FamilyOfEveryKind)
{
    const uint32_t families[] = {0, 1, 2, 2, 2, 3, 0, 0, 0, 4, 4, 4, 6, 4, 4, 0};
    for (uint32_t kind = 0; kind < sizeof families / sizeof families[0]; ++kind)
        EXPECT_EQ(families[kind], GetOSFamily({kind, 0, 0})) << kind;
}

bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

TEST(OSVersionDetectChild, DISABLED_ExitsWithTheKind)
{
    OSVersionRecord record = {};
    ExitProcess(DetectOSVersion(record) ? record.kind : 200);
}

// Wine answers as the version its settings name for a program; "winxp" is NT 5.1, a
// version the table knows. On its default (a later NT) detection fails, as it must.
TEST(OSVersionDetect, WineAsWindowsXPIsKnown)
{
    if (!UnderWine())
        return;
    std::string program = ThisProgram();
    const std::string key = "Software\\Wine\\AppDefaults\\" + program.substr(program.find_last_of('\\') + 1);
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             &handle, nullptr));
    RegSetValueExA(handle, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
    const ChildResult child = RunChildTest("OSVersionDetectChild.DISABLED_ExitsWithTheKind");
    RegCloseKey(handle);
    RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
    EXPECT_EQ(14u, child.exitCode) << child.output;
}

} // namespace
