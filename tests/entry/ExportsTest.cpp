// The module as a loader sees it: a private copy loaded whole (its attach runs), its
// exports found by name, by decorated name and by ordinal alone.
#include "ModuleCopy.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

class Exports : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        copy = new ModuleCopy{L"qzui32.dll"};
        module = LoadLibraryW(copy->Path(L"qzui32.dll").c_str());
    }
    static void TearDownTestSuite()
    {
        if (module)
            FreeLibrary(module);
        // The module's keep-alive lets it go once it has been idle for a while.
        ModuleCopy::WaitUntilUnmapped(copy->Path(L"qzui32.dll"), 3000);
        delete copy;
    }
    void SetUp() override { ASSERT_NE(nullptr, module); }
    static void* Proc(const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); }
    static void* Ordinal(WORD ordinal)
    {
        return reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal)));
    }

    static ModuleCopy* copy;
    static HMODULE module;
};
ModuleCopy* Exports::copy = nullptr;
HMODULE Exports::module = nullptr;

TEST_F(Exports, OrdinalsNinetySevenToOneHundredAndOneAreThePlugInInterface)
{
    const char* names[] = {"UI_INTERFACEVERSION", "UI_INITIALIZE", "UI_DESTROY", "UI_CONFIGTOSETTINGS",
                           "UI_SETTINGSTOCONFIG"};
    for (WORD i = 0; i < 5; ++i) {
        ASSERT_NE(nullptr, Proc(names[i])) << names[i];
        EXPECT_EQ(Proc(names[i]), Ordinal(97 + i)) << names[i];
    }
    EXPECT_EQ(nullptr, Proc("UI_INITIALIZE_ord")) << "the aliases have no names";
}

TEST_F(Exports, ExtensionInterfaceKeepsItsDecoratedNamesAndOrdinals)
{
    const char* names[] = {"_QZDrv_QueryInterface@8",   "_QZDrv_UIGetValue@12", "_QZDrv_UIGetExtSettings@16",
                           "_QZDrv_UISetExtSettings@16", "_QZDrv_GetValue@12",   "_QZDrv_GetExtSettings@16",
                           "_QZDrv_SetExtSettings@16",  "QZDrv_RegisterExtension"};
    for (WORD i = 0; i < 8; ++i) {
        ASSERT_NE(nullptr, Proc(names[i])) << names[i];
        EXPECT_EQ(Proc(names[i]), Ordinal(131 + i)) << names[i];
    }
    EXPECT_EQ(nullptr, Proc("QZDrv_QueryInterface"));
}

TEST_F(Exports, ExtensionExportsAnswerFromTheModuleAndThePlugInStubsStay)
{
    using QueryInterface = uint16_t(WINAPI*)(uint16_t, void**);
    using SetExtSettings = uint16_t(WINAPI*)(void*, uint32_t, void*, void*);
    using GetValue = uint16_t(WINAPI*)(uint16_t, uint16_t*, void*);
    using Version = uint32_t(WINAPI*)();
    using Initialize = int16_t(WINAPI*)(void*, uint16_t);
    void* table[3] = {};
    EXPECT_EQ(0, reinterpret_cast<QueryInterface>(Proc("_QZDrv_QueryInterface@8"))(50, table));
    EXPECT_EQ(Proc("_QZDrv_UIGetValue@12"), table[0]);
    EXPECT_EQ(Proc("_QZDrv_UIGetExtSettings@16"), table[1]);
    EXPECT_EQ(Proc("_QZDrv_UISetExtSettings@16"), table[2]);
    EXPECT_EQ(5, reinterpret_cast<QueryInterface>(Proc("_QZDrv_QueryInterface@8"))(51, table));
    EXPECT_EQ(5, reinterpret_cast<SetExtSettings>(Proc("_QZDrv_SetExtSettings@16"))(nullptr, 0, nullptr, nullptr));
    uint16_t out = 0;
    int notAContext = 0;
    EXPECT_EQ(1, reinterpret_cast<GetValue>(Proc("_QZDrv_GetValue@12"))(10, &out, &notAContext));
    EXPECT_EQ(2u, reinterpret_cast<Version>(Ordinal(97))());
    EXPECT_EQ(0, reinterpret_cast<Initialize>(Ordinal(98))(nullptr, 0));
}

TEST_F(Exports, EveryDriverEntryPointIsThereByItsPlainName)
{
    for (const char* name : {"DrvDocumentPropertySheets", "DrvDevicePropertySheets", "DrvDocumentProperties",
                             "DrvAdvancedDocumentProperties", "PrinterProperties", "DrvConvertDevMode",
                             "DrvDeviceCapabilities", "DevQueryPrintEx", "DrvUpgradePrinter", "DrvPrinterEvent",
                             "DrvDocumentEvent", "NonPropPageSheet"})
        EXPECT_NE(nullptr, Proc(name)) << name;
}

TEST_F(Exports, LoadedModuleAnswersWithoutAPrinter)
{
    using Sheets = LONG(WINAPI*)(void*, LPARAM);
    using Query = BOOL(WINAPI*)(void*);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(-1, reinterpret_cast<Sheets>(Proc("DrvDocumentPropertySheets"))(nullptr, 0));
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    EXPECT_FALSE(reinterpret_cast<Query>(Proc("DevQueryPrintEx"))(nullptr));
}

// The module freed by its host stays mapped under its keep-alive, then goes by itself.
TEST(LoadedModule, FreedByItsHostItStaysThenGoes)
{
    ModuleCopy copy{L"qzui32.dll"};
    ASSERT_TRUE(copy.Ok());
    const std::wstring path = copy.Path(L"qzui32.dll");
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(nullptr, module);
    // An entry point's call marks activity: two period boundaries pass before it may go.
    using Event = INT(WINAPI*)(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID);
    reinterpret_cast<Event>(reinterpret_cast<void*>(GetProcAddress(module, "DrvDocumentEvent")))(
        nullptr, nullptr, 0, 0, nullptr, 0, nullptr);
    FreeLibrary(module);
    EXPECT_NE(nullptr, GetModuleHandleW(path.c_str()));
    EXPECT_TRUE(ModuleCopy::WaitUntilUnmapped(path, 5000));
}

} // namespace
