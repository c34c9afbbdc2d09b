// An extension's registration through QZDrv_RegisterExtension outlives the process that
// made it: its default settings are written into the printer's default DEVMODE (no other
// store holds node 367), where a second process that starts from that DEVMODE finds them.
#include "ChildProcess.h"
#include "ExtensionStandIn.h"
#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/extensions/ExtensionTree.h"
#include "entry/module/EntryPoints.h"
#include "entry/module/ModuleLifetime.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "printer/GDriverServer.h"
#include "printer/PrinterIdentity.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kDefaults[] = "dflt\0!";
const wchar_t kPrinterVariable[] = L"QZ_TEST_EXTENSION_PRINTER";

// The printer's PRINTER_INFO_2 record, with its default DEVMODE; empty when unreadable.
std::vector<uint8_t> PrinterRecord(const wchar_t* printerName)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName), &printer, nullptr))
        return {};
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<uint8_t> record(needed);
    if (!needed || !GetPrinterW(printer, 2, record.data(), needed, &needed))
        record.clear();
    ClosePrinter(printer);
    return record;
}

const DEVMODEW* DevModeOf(std::vector<uint8_t>& record)
{
    return record.empty() ? nullptr : reinterpret_cast<PRINTER_INFO_2W*>(record.data())->pDevMode;
}

// The settings texts (998) of list 997 under 367 with their indexes (995).
std::vector<std::string> StoredDefaults(GObjectBase* root)
{
    std::vector<std::string> out;
    GObjectBase* list =
        ExtensionTree::FindList(root, FeatureId::kExtensionSettingsNode, FeatureId::kExtensionSettingsList);
    std::unique_ptr<GObjectIterator> it(list ? list->CreateIterator() : nullptr);
    while (it && it->Next()) {
        const RWCString text = ExtensionTree::TextOf(it->Current(), FeatureId::kExtensionSettingsBytes);
        out.push_back(std::string(text.Data(), text.Length()) + ":" +
                      std::to_string(ExtensionTree::ValueOf(it->Current(), FeatureId::kExtensionIndex, 0xFFFF)));
    }
    return out;
}

TEST(ExtensionRegistration, TheDefaultsReachThePrintersDefaultDevModeAndASecondProcess)
{
    ExtensionStandIn::UseServicesThatFindIt();
    ExtensionStandIn standIn(L"qzext.dll");
    ASSERT_TRUE(standIn.Loaded());
    standIn.SetDefaults(std::string(kDefaults, sizeof kDefaults - 1));
    TestPrinter fresh(L"QZ Extension Defaults Printer " + std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(fresh.Installed()) << fresh.Failure();
    ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
    const std::string narrow(fresh.Name().begin(), fresh.Name().end());

    EXPECT_EQ(0u, QZDrv_RegisterExtension(narrow.c_str(), 0, "qzext.dll", 0));
    ModuleLifetime::Detach(false);

    SetEnvironmentVariableW(kPrinterVariable, fresh.Name().c_str());
    const ChildResult child = RunChildTest("ExtensionRegistrationChild.DISABLED_FindsTheDefaultsInTheDefaultDevMode");
    SetEnvironmentVariableW(kPrinterVariable, nullptr);
    EXPECT_EQ(0u, child.exitCode) << child.output;
    EXPECT_NE(std::string::npos, child.output.find("[  PASSED  ] 1 test")) << child.output;
}

// The second process: a driver object of its own starts from the printer's default
// DEVMODE, whose settings hold the extension's defaults under index 0.
TEST(ExtensionRegistrationChild, DISABLED_FindsTheDefaultsInTheDefaultDevMode)
{
    wchar_t name[256] = {};
    ASSERT_NE(0u, GetEnvironmentVariableW(kPrinterVariable, name, 256));
    ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
    std::vector<uint8_t> record = PrinterRecord(name);
    const DEVMODEW* devMode = DevModeOf(record);
    ASSERT_NE(nullptr, devMode);
    uint32_t ticket = 0;
    GDriverObject* object = ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(nullptr, name, 1), ticket);
    GDriverUI* ui = dynamic_cast<GDriverUI*>(object);
    ASSERT_NE(nullptr, ui);
    EXPECT_EQ(1, ui->MergeDevModeIntoSettings(devMode));
    std::unique_ptr<GObjectBase> settings(ui->CreateSettings());
    ASSERT_NE(nullptr, settings);
    EXPECT_EQ((std::vector<std::string>{std::string(kDefaults, sizeof kDefaults - 1) + ":0"}),
              StoredDefaults(settings.get()));
    ModuleLifetime::DriverServer()->Release(ticket);
    ModuleLifetime::Detach(false);
}

} // namespace
