// The extension host where the driver meets it: the sheet glue making the host for the
// plug-in name "GExtensionUIManager" and offering the stand-in's pages, and a
// registration through the exported call on a freshly installed printer, read back from
// the spooler's printer data.
#include "entry/driverui/GPrinterStores.h"
#include "entry/extensions/ExtensionTree.h"
#include "entry/module/EntryPoints.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/module/ModuleLifetime.h"
#include "entry/sheet/GCPSOSUI.h"
#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "printer/GDriverObject.h"
#include "printer/GOSFactory.h"
#include "printer/GPrinter.h"
#include "ExtensionStandIn.h"
#include "TestPrinter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

GAttributeComposite* Entry(const char* name, uint16_t index, uint32_t flags)
{
    ExtensionDescriptor d{};
    std::strncpy(d.text1, "first", sizeof d.text1 - 1);
    std::strncpy(d.name, name, sizeof d.name - 1);
    std::strncpy(d.text2, "second", sizeof d.text2 - 1);
    d.flags = flags;
    std::strncpy(d.uiModule, "qzext.dll", sizeof d.uiModule - 1);
    std::strncpy(d.renderModule, "qzext.dll", sizeof d.renderModule - 1);
    std::strncpy(d.text3, "third", sizeof d.text3 - 1);
    std::strncpy(d.text4, "fourth", sizeof d.text4 - 1);
    return ExtensionTree::EntryFromDescriptor(d, index);
}

// A sheet's settings root: the plug-in names (63) and the registered extensions (987
// under 368).
GAttributeComposite* SheetRoot(std::initializer_list<const char*> plugIns, GAttributeComposite* entry)
{
    GAttributeComposite* root = new GAttributeComposite(1);
    GAttributeComposite* names = new GAttributeComposite(FeatureId::kUIPlugInNames);
    for (const char* name : plugIns)
        names->Add(new GStringAttribute(name, 0));
    root->Add(names);
    GAttributeComposite* container = new GAttributeComposite(FeatureId::kExtensionContainer);
    GAttributeComposite* list = new GAttributeComposite(FeatureId::kExtensionDescriptorList);
    if (entry)
        list->Add(entry);
    container->Add(list);
    root->Add(container);
    return root;
}

// The settings list (997 under 367) with one entry for index 0.
void AddSettings(GAttributeComposite* root, const std::string& bytes)
{
    GAttributeComposite* entry = new GAttributeComposite(0);
    entry->Add(new GStringAttribute(RWCString(bytes.data(), bytes.size()), FeatureId::kExtensionSettingsBytes));
    entry->Add(new GValueAttribute(0, FeatureId::kExtensionIndex));
    GAttributeComposite* list = new GAttributeComposite(FeatureId::kExtensionSettingsList);
    list->Add(entry);
    GAttributeComposite* node = new GAttributeComposite(FeatureId::kExtensionSettingsNode);
    node->Add(list);
    root->Add(node);
}

std::vector<std::string> StoredSettings(GObjectBase* root)
{
    std::vector<std::string> out;
    GObjectBase* list =
        ExtensionTree::FindList(root, FeatureId::kExtensionSettingsNode, FeatureId::kExtensionSettingsList);
    std::unique_ptr<GObjectIterator> it(list ? list->CreateIterator() : nullptr);
    while (it && it->Next()) {
        const RWCString text = ExtensionTree::TextOf(it->Current(), FeatureId::kExtensionSettingsBytes);
        out.push_back(std::string(text.Data(), text.Length()));
    }
    return out;
}

std::vector<std::string> Registered(GObjectBase* root)
{
    std::vector<std::string> out;
    GObjectBase* list =
        ExtensionTree::FindList(root, FeatureId::kExtensionContainer, FeatureId::kExtensionDescriptorList);
    std::unique_ptr<GObjectIterator> it(list ? list->CreateIterator() : nullptr);
    while (it && it->Next()) {
        const RWCString name = ExtensionTree::TextOf(it->Current(), FeatureId::kExtensionName);
        out.push_back(std::string(name.Data(), name.Length()) + ":" +
                      std::to_string(ExtensionTree::ValueOf(it->Current(), FeatureId::kExtensionIndex, 0xFFFF)));
    }
    return out;
}

class ExtensionGlue : public testing::Test {
protected:
    void SetUp() override
    {
        ExtensionStandIn::UseServicesThatFindIt();
        ASSERT_TRUE(standIn.Loaded());
    }
    GUIData Sheet(GObjectBase* root, uint32_t pageSet)
    {
        GUIData data{};
        data.size = 60;
        data.driverUI = &driver;
        data.settings = root;
        data.pageSet = pageSet;
        return data;
    }

    ExtensionStandIn standIn{L"qzext.dll"};
    GDriverObject driver{RWWString(L"ext")};
};

TEST_F(ExtensionGlue, TheHostsNameBringsTheExtensionsPagesIntoTheSheetAndReleasesThem)
{
    standIn.SetPages(2);
    std::unique_ptr<GAttributeComposite> root(SheetRoot({"GExtensionUIManager"}, Entry("qzext", 0, 0x4)));
    GUIData data = Sheet(root.get(), kPageSetDocumentPages);
    GCPSOSUI glue;
    ASSERT_EQ(1u, glue.LoadPlugIns(&data));
    EXPECT_EQ(2, glue.CollectPages(&data));
    ASSERT_EQ(2, data.pageCount);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(40u, data.pages[i].dwSize) << i;
        EXPECT_EQ(standIn.Handle(), data.pages[i].hInstance) << i;
        EXPECT_EQ(MAKEINTRESOURCEW(100 + i), data.pages[i].pszTemplate) << i;
        EXPECT_NE(nullptr, data.pages[i].pfnDlgProc) << i;
        ASSERT_NE(0, data.pages[i].lParam) << "the glue's page link stays";
        EXPECT_EQ(&data, reinterpret_cast<PageLink*>(data.pages[i].lParam)->guiData);
    }
    glue.ReleasePages(&data);
    EXPECT_EQ(nullptr, data.pages);
    EXPECT_EQ(0u, glue.PlugInCount());
    const std::string log = standIn.Log();
    EXPECT_NE(std::string::npos, log.find("EnumPages")) << log;
    EXPECT_NE(std::string::npos, log.find("Release")) << "the host's ReleaseAll ran as the plug-in's destroy";
}

TEST_F(ExtensionGlue, ADevicesSheetGetsNoExtensionPagesAndLoadsNoModule)
{
    standIn.SetPages(2);
    std::unique_ptr<GAttributeComposite> root(SheetRoot({"GExtensionUIManager"}, Entry("qzext", 0, 0x4)));
    GUIData data = Sheet(root.get(), kPageSetDevicePages);
    GCPSOSUI glue;
    EXPECT_EQ(0, glue.CollectPages(&data));
    EXPECT_EQ(nullptr, data.pages);
    EXPECT_EQ(1u, glue.PlugInCount()) << "the host itself is loaded";
    glue.ReleasePages(&data);
    EXPECT_EQ("", standIn.Log());
}

// A program that lacks the host (no maker registered) loads nothing for the name, and
// never looks for it on disk.
TEST_F(ExtensionGlue, WithoutTheHostsMakerTheNameStaysUnloaded)
{
    const GBuiltInPlugIn::Maker maker = GBuiltInPlugIn::ExtensionHostMaker();
    ASSERT_NE(nullptr, maker) << "the host's library registers its maker";
    GBuiltInPlugIn::SetExtensionHostMaker(nullptr);
    GUIPlugIn plugIn(L"GExtensionUIManager");
    EXPECT_FALSE(plugIn.IsLoaded());
    EXPECT_EQ(0, plugIn.Initialize(nullptr, 0));
    GBuiltInPlugIn::SetExtensionHostMaker(maker);
    GUIPlugIn host(L"GExtensionUIManager");
    EXPECT_TRUE(host.IsLoaded());
    EXPECT_EQ(0u, host.GetVersion());
}

// The pages the glue collected, shown in a real property sheet: the stand-in's page asks
// for value 10 through the table its EnumPages got and writes its settings, which land in
// the sheet's tree.
TEST_F(ExtensionGlue, TheCollectedPageInARealPropertySheetReadsValueTenAndWritesItsSettings)
{
    standIn.SetPages(1);
    std::unique_ptr<GAttributeComposite> root(SheetRoot({"GExtensionUIManager"}, Entry("qzext", 0, 0x4)));
    AddSettings(root.get(), "before");
    GPrinter* printer = new GPrinter("printer", nullptr, nullptr, 8);
    GCheetah().ApplyTo(*printer);
    driver.SetPrinter(printer);
    GUIData data = Sheet(root.get(), kPageSetDocumentPages);
    GCPSOSUI glue;
    ASSERT_EQ(1, glue.CollectPages(&data));

    using Show = INT_PTR(WINAPI*)(LPCPROPSHEETHEADERW);
    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    Show show = reinterpret_cast<Show>(reinterpret_cast<void*>(GetProcAddress(controls, "PropertySheetW")));
    ASSERT_NE(nullptr, show);
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.pszCaption = L"Extension";
    header.nPages = data.pageCount;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEW>(data.pages);
    show(&header);

    uint16_t valueStatus = 0, value = 0, writeStatus = 0;
    standIn.PageResult(valueStatus, value, writeStatus);
    EXPECT_EQ(0, valueStatus);
    EXPECT_EQ(12, value) << "the printer writes PCL XL";
    EXPECT_EQ(0, writeStatus);
    EXPECT_EQ((std::vector<std::string>{std::string("page\0!", 6)}), StoredSettings(root.get()));
    glue.ReleasePages(&data);
    FreeLibrary(controls);
}

// The printer's data value the container is stored under; absent: empty.
std::vector<uint8_t> PrinterData(const std::wstring& printerName, const wchar_t* value)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName.c_str()), &printer, nullptr))
        return {};
    DWORD type = 0, needed = 0;
    std::vector<uint8_t> bytes;
    if (GetPrinterDataW(printer, const_cast<wchar_t*>(value), &type, nullptr, 0, &needed) == ERROR_MORE_DATA) {
        bytes.resize(needed);
        if (GetPrinterDataW(printer, const_cast<wchar_t*>(value), &type, bytes.data(), needed, &needed) !=
            ERROR_SUCCESS)
            bytes.clear();
    }
    ClosePrinter(printer);
    return bytes;
}

TEST_F(ExtensionGlue, TheFirstRegistrationOnAFreshPrinterStoresIndexZeroInItsPrinterData)
{
    TestPrinter fresh(L"QZ Fresh Extension Printer " + std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(fresh.Installed()) << fresh.Failure();
    ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
    const std::string narrow(fresh.Name().begin(), fresh.Name().end());

    const std::vector<uint8_t> before = PrinterData(fresh.Name(), L"368:0");
    EXPECT_EQ(0u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 0));
    const std::vector<uint8_t> after = PrinterData(fresh.Name(), L"368:0");
    EXPECT_FALSE(after.empty());
    EXPECT_NE(before, after) << "\"368:0\" changes";
    {
        GDriverObject reader(fresh.Name().c_str());
        std::unique_ptr<GObjectBase> stored(
            GOSFactory::Instance()->LoadObjectFromPrinterData(&reader, RWWString(L"368"), 0));
        ASSERT_NE(nullptr, stored);
        std::unique_ptr<GAttributeComposite> root(new GAttributeComposite(1));
        root->Add(stored.release());
        EXPECT_EQ((std::vector<std::string>{"qzext:0"}), Registered(root.get()));
    }
    EXPECT_EQ(13u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 0)) << "the same name again";
    EXPECT_EQ(0u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 1));
    EXPECT_NE(after, PrinterData(fresh.Name(), L"368:0")) << "unregistering stores the list again";
    ModuleLifetime::Detach(false);
}

// The module's own services, but a stores lock that does not admit this caller.
struct LockRefusingServices : GUIOSFactory {
    int LockPrinterStores(GDriverObject*, uint32_t, void*& held) override
    {
        held = nullptr;
        return kStoresLockRefused;
    }
};

// A registration that cannot have the printer's stores lock stores nothing and says why,
// apart from a module that is not there: busy while another writer holds the lock past
// the wait, refused when the lock does not admit the caller (for an unregistration too);
// with the lock free, a missing module is unavailable and the module itself registers.
TEST_F(ExtensionGlue, ARegistrationWithoutTheStoresLockIsBusyOrRefusedNotUnavailable)
{
    TestPrinter fresh(L"QZ Locked Extension Printer " + std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(fresh.Installed()) << fresh.Failure();
    ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
    const std::string narrow(fresh.Name().begin(), fresh.Name().end());
    const uint32_t wait = GPrinterStores::SetLockWaitForTesting(20);
    const std::vector<uint8_t> before = PrinterData(fresh.Name(), L"368:0");
    const struct {
        const char* what;
        const char* module;
        uint32_t flags;
        bool heldElsewhere, refusing;
        uint32_t expected;
    } rows[] = {
        {"the lock held elsewhere", "qzext.dll", 0, true, false, kExtensionBusy},
        {"the lock held elsewhere, unregistering", "qzext.dll", 1, true, false, kExtensionBusy},
        {"the lock refused", "qzext.dll", 0, false, true, kExtensionRefused},
        {"the lock refused, unregistering", "qzext.dll", 1, false, true, kExtensionRefused},
        {"no such module, the lock free", "qznosuch.dll", 0, false, false, kExtensionUnavailable},
    };
    for (const auto& row : rows) {
        HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread holder;
        if (row.heldElsewhere) {
            holder = std::thread([&] {
                GDriverObject owner(fresh.Name().c_str());
                void* held = nullptr;
                const int owned = GOSFactory::Instance()->LockPrinterStores(&owner, 5000, held);
                SetEvent(taken);
                WaitForSingleObject(release, 10000);
                if (owned == GOSFactory::kStoresLockOwned)
                    GOSFactory::Instance()->UnlockPrinterStores(held);
            });
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(taken, 10000)) << row.what;
        }
        if (row.refusing)
            new LockRefusingServices;
        EXPECT_EQ(row.expected, QZDrv_RegisterExtension(narrow.c_str(), 0, row.module, row.flags)) << row.what;
        if (row.refusing)
            new GUIOSFactory;
        SetEvent(release);
        if (holder.joinable())
            holder.join();
        CloseHandle(taken);
        CloseHandle(release);
        EXPECT_EQ(before, PrinterData(fresh.Name(), L"368:0")) << row.what << ": nothing stored";
    }
    GPrinterStores::SetLockWaitForTesting(wait);
    EXPECT_EQ(0u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 0)) << "the lock free";
    EXPECT_NE(before, PrinterData(fresh.Name(), L"368:0"));
    ModuleLifetime::Detach(false);
}

} // namespace
