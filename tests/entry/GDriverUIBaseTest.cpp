// The settings tree between the DEVMODE, the test printer's real printer data and the
// user's registry, and the spooler's forms as Wine keeps them, through a driver object
// that the driver server loads with the generated model.
#include "entry/driverui/GDriverUIBase.h"

#include "GuardedBytes.h"
#include "PrinterDataFixture.h"
#include "TestPrinter.h"
#include "entry/module/GUIOSFactory.h"
#include "printer/PrinterIdentity.h"
#include "printer/PrinterRecordScope.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GObjectIterator.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GDriverServer.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "model/GState.h"
#include "settings/devmode/GDriverDevMode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TestUI : GDriverUIBase, GDriverObjectImp {
    explicit TestUI(const PrinterIdentity& id)
        : GDriverObject(id.GetPrinterName(), id.GetDriverName(), id.GetPortName())
    {
    }
    HANDLE GetPrinterHandle() override { return handle; }
    uint16_t DefaultPaperCode() override { return localePaper ? localePaper : GDriverUIBase::DefaultPaperCode(); }
    using GDriverUIBase::SizeFitsDevice;
    // None unless a test gives one.
    HANDLE handle = nullptr;
    // The locale's default paper in the driver's codes; 0: the locale's own.
    uint16_t localePaper = 0;
};

const GDriverUIMaker kTestUIMaker = {
    [](const PrinterIdentity& identity) -> GDriverObject* { return new TestUI(identity); },
    [](GDriverObject* driver) -> void* {
        TestUI* ui = dynamic_cast<TestUI*>(driver);
        return ui ? ui->handle : nullptr;
    },
};

const wchar_t kAppFlagKey[] = L"SOFTWARE\\Prenovant\\QZ FA Drivers";
const wchar_t kAppFlagSwitch[] = L"EnableDevmodeAppflag";

std::wstring DataKey() { return TestPrinter::Shared().RegistryKey() + L"\\PrinterDriverData"; }

// Deletes the printer-data values whose names begin with the prefix (the spooler's own
// delete call is not usable under Wine).
void DeleteDataValues(const std::wstring& prefix)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DataKey().c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (std::wstring(name).compare(0, prefix.size(), prefix) == 0)
            names.push_back(name);
    }
    for (const auto& n : names)
        RegDeleteValueW(key, n.c_str());
    RegCloseKey(key);
}

bool DataValueExists(const wchar_t* name)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DataKey().c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const bool found = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
}

std::vector<uint8_t> AllData() { return TestPrinter::Shared().AllData(); }

void SetData(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, DataKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void SetDataString(const wchar_t* name, const wchar_t* text)
{
    SetData(name, REG_SZ, text, DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
}

void SetDataDword(const wchar_t* name, DWORD value) { SetData(name, REG_DWORD, &value, sizeof value); }

std::vector<FORM_INFO_1W> g_formRecords;

// Wine's forms, as an application sees them.
std::vector<std::pair<std::wstring, FORM_INFO_1W>> WineForms()
{
    std::vector<std::pair<std::wstring, FORM_INFO_1W>> forms;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(TestPrinter::Shared().Name().c_str()), &printer, nullptr))
        return forms;
    DWORD needed = 0, count = 0;
    EnumFormsW(printer, 1, nullptr, 0, &needed, &count);
    std::vector<uint8_t> bytes(needed);
    if (needed && EnumFormsW(printer, 1, bytes.data(), needed, &needed, &count))
        for (DWORD i = 0; i < count; ++i) {
            const FORM_INFO_1W& form = reinterpret_cast<FORM_INFO_1W*>(bytes.data())[i];
            forms.push_back({form.pName, form});
        }
    ClosePrinter(printer);
    return forms;
}

class DriverUIBase : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        previous = GUIOSFactory::GetDriverUIMaker();
        GUIOSFactory::SetDriverUIMaker(kTestUIMaker);
        data = std::make_unique<PrinterDataTest::KeySnapshot>(PrinterDataTest::DataKey());
        ForgetStoredNodes();
        GDriverObject* object = server->Acquire(new PrinterIdentity(nullptr, printer.Name().c_str(), 1), ticket);
        ui = dynamic_cast<TestUI*>(object);
        ASSERT_NE(nullptr, ui);
    }
    void TearDown() override
    {
        server.reset();
        GUIOSFactory::SetDriverUIMaker(previous);
        // The printer's data as it was, stores included, for the suites after this one.
        data->Restore();
    }
    static void ForgetStoredNodes()
    {
        for (const wchar_t* prefix : {L"365", L"366", L"368"})
            DeleteDataValues(prefix);
    }
    GObjectBase* Node(GObjectBase* tree, long id) { return tree ? tree->FindById(id) : nullptr; }

    const TestPrinter& printer = TestPrinter::Shared();
    GUIOSFactory* services = new GUIOSFactory;  // the services instance owns it
    std::unique_ptr<GDriverServer> server{new GDriverServer};
    GDriverUIMaker previous{};
    uint32_t ticket = 0;
    TestUI* ui = nullptr;
    std::unique_ptr<PrinterDataTest::KeySnapshot> data;
};

// ---- Merge and commit ----

TEST_F(DriverUIBase, FirstMergeOnAFreshPrinterStoresTheThreeNodes)
{
    EXPECT_FALSE(DataValueExists(L"365:0"));
    EXPECT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    EXPECT_EQ(-1, ui->GetStateWord());
    for (const wchar_t* name : {L"365:0", L"366:0", L"368:0"})
        EXPECT_TRUE(DataValueExists(name)) << name;
    // Read back from the printer data in the class the tree needs.
    std::unique_ptr<GObjectBase> device(ui->LoadSettingsTree(365));
    ASSERT_NE(nullptr, device);
    EXPECT_NE(nullptr, device->FindById(510));
    std::unique_ptr<GObjectBase> lists(ui->LoadSettingsTree(366));
    ASSERT_NE(nullptr, lists);
    ASSERT_NE(nullptr, lists->FindById(378));
    EXPECT_EQ(2u, lists->FindById(378)->Entries());
}

// The same DEVMODE again keeps the object while the printer's data is as it was when the
// object was made; a change to that data, a call that cannot tell (outside an entry call)
// and another DEVMODE each make it anew.
TEST_F(DriverUIBase, TheSameDevModeTwiceKeepsTheObjectAndAnotherReplacesIt)
{
    PrinterDataTest::SettledClock settled;
    PRINTER_DEFAULTSW all = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(printer.Name().c_str()), &ui->handle, &all));
    // Each merge as one entry call.
    auto merge = [&](const DEVMODEW* devMode) {
        PrinterRecordScope call;
        return ui->MergeDevModeIntoSettings(devMode);
    };
    ASSERT_EQ(1, merge(nullptr));
    std::vector<uint8_t> bytes(1172);
    ASSERT_EQ(1, ui->GetDevModeObject()->CopyOut(reinterpret_cast<DEVMODEW*>(bytes.data())));
    auto* devMode = reinterpret_cast<DEVMODEW*>(bytes.data());
    ASSERT_EQ(1, merge(devMode));
    GDriverDevMode* held = ui->GetDevModeObject();
    ui->SetStateWord(0);
    EXPECT_EQ(1, merge(devMode));
    EXPECT_EQ(held, ui->GetDevModeObject());
    EXPECT_EQ(0, ui->GetStateWord());

    SetDataDword(L"QzOtherProcess", 1);
    EXPECT_EQ(1, merge(devMode));
    EXPECT_EQ(-1, ui->GetStateWord()) << "the printer's data changed";
    ui->SetStateWord(0);
    EXPECT_EQ(1, ui->MergeDevModeIntoSettings(devMode));
    EXPECT_EQ(-1, ui->GetStateWord()) << "outside an entry call";

    devMode->dmCopies = 3;
    ui->SetStateWord(0);
    EXPECT_EQ(1, merge(devMode));
    EXPECT_EQ(-1, ui->GetStateWord());
    EXPECT_EQ(0, ui->GetDefaultsToggle());
    ClosePrinter(ui->handle);
    ui->handle = nullptr;
}

TEST_F(DriverUIBase, MergesWithoutADevModeToggleBetweenFullAndQuick)
{
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    EXPECT_EQ(0, ui->GetDefaultsToggle()) << "the first merge makes the object";
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    EXPECT_EQ(1, ui->GetDefaultsToggle()) << "the second does the full rebuild";
    EXPECT_EQ(-1, ui->GetStateWord());
    ui->SetStateWord(0);
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    EXPECT_EQ(GDriverUIBase::kPaperCacheStale, ui->GetStateWord()) << "a quick merge marks only the paper cache";
    EXPECT_NE(nullptr, ui->GetDevModeObject());
}

TEST_F(DriverUIBase, AStoredNodeOfAnotherClassActsAsMissing)
{
    GStringAttribute wrong("not a tree", 365);
    ASSERT_EQ(1, ui->SaveObject(L"365", &wrong));
    EXPECT_EQ(nullptr, ui->LoadSettingsTree(365));
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
    ASSERT_NE(nullptr, tree);
    EXPECT_EQ(360, tree->GetId()) << "the factory tree";
}

TEST_F(DriverUIBase, CommitModeZeroPacksButWritesNoPrinterData)
{
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    ForgetStoredNodes();
    std::unique_ptr<GObjectBase> tree(ui->CreateDefaultSettings());
    ASSERT_NE(nullptr, tree);
    tree->Add(new GAttributeComposite(283));
    const std::vector<uint8_t> before = AllData();
    EXPECT_EQ(1, ui->CommitSettings(tree.get(), 0));
    EXPECT_EQ(before, AllData());
    EXPECT_NE(0, ui->GetDevModeObject()->GetDevMode()->dmDriverExtra);
    for (long id : {283, 365, 366, 368})
        EXPECT_NE(nullptr, tree->FindById(id)) << id;
}

// A node the tree lacks is never stored empty: the printer's store keeps what it holds.
TEST_F(DriverUIBase, CommitModeOneStoresOnlyTheNodesTheTreeHolds)
{
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    ForgetStoredNodes();
    std::unique_ptr<GObjectBase> tree(new GAttributeComposite(360));
    tree->Add(new GAttributeComposite(283));
    tree->Add(new GState(365));
    EXPECT_EQ(1, ui->CommitSettings(tree.get(), 1));
    EXPECT_TRUE(DataValueExists(L"365:0"));
    for (const wchar_t* name : {L"366:0", L"368:0"})
        EXPECT_FALSE(DataValueExists(name)) << name;
    for (long id : {283, 365})
        EXPECT_NE(nullptr, tree->FindById(id)) << id;
    for (long id : {366, 368})
        EXPECT_EQ(nullptr, tree->FindById(id)) << id;
}

TEST(DriverUIBaseCommit, AFailingSaveAnswersZeroAndLeavesTheTreeWhole)
{
    // A printer the spooler does not know: no node can be stored.
    TestUI ui(PrinterIdentity(nullptr, L"QZ No Such Printer", 1));
    ASSERT_EQ(1, ui.MergeDevModeIntoSettings(nullptr));
    std::unique_ptr<GObjectBase> tree(new GAttributeComposite(360));
    tree->Add(new GAttributeComposite(283));
    tree->Add(new GState(365));
    EXPECT_EQ(0, ui.CommitSettings(tree.get(), 1));
    for (long id : {283, 365})
        EXPECT_NE(nullptr, tree->FindById(id)) << id;
    EXPECT_EQ(2u, tree->Entries()) << "nothing stands in for the nodes the tree lacked";
    EXPECT_EQ(1, ui.CommitSettings(tree.get(), 0)) << "packing alone succeeds";
}

TEST_F(DriverUIBase, OnlyThisDriversDevModeReachingPastTheBiasSetsIt)
{
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    std::tm local, shifted;
    int16_t bias = 0;
    services->SetTimeBias(11);

    // Another driver's DEVMODE: its bytes at 260 are not a bias.
    std::vector<uint8_t> foreign(1172, 0);
    auto* devMode = reinterpret_cast<DEVMODEW*>(foreign.data());
    devMode->dmSpecVersion = 0x401;
    devMode->dmSize = 220;
    devMode->dmDriverExtra = 952;
    std::memcpy(foreign.data() + 224, "Another Driver", 15);
    foreign[260] = 0x34, foreign[261] = 0x12;
    EXPECT_EQ(1, ui->MergeDevModeIntoSettings(devMode));
    services->GetLocalAndShiftedTime(local, shifted, bias);
    EXPECT_EQ(11, bias);

    // A public-only DEVMODE has no private word at all.
    devMode->dmDriverExtra = 0;
    devMode->dmCopies = 4;
    EXPECT_EQ(1, ui->MergeDevModeIntoSettings(devMode));
    services->GetLocalAndShiftedTime(local, shifted, bias);
    EXPECT_EQ(11, bias);

    // This driver's own DEVMODE carries it.
    std::vector<uint8_t> ours(1172, 0);
    ASSERT_EQ(1, ui->GetDevModeObject()->CopyOut(reinterpret_cast<DEVMODEW*>(ours.data())));
    ours[260] = 30, ours[261] = 0;
    reinterpret_cast<DEVMODEW*>(ours.data())->dmCopies = 2;
    EXPECT_EQ(1, ui->MergeDevModeIntoSettings(reinterpret_cast<DEVMODEW*>(ours.data())));
    services->GetLocalAndShiftedTime(local, shifted, bias);
    EXPECT_EQ(30, bias);
}

// ---- The factory tree ----

TEST_F(DriverUIBase, TheFactoryTreeHasTheDefaultStateAndThePaperList)
{
    std::unique_ptr<GObjectBase> tree(ui->CreateDefaultSettings());
    ASSERT_NE(nullptr, tree);
    EXPECT_EQ(360, tree->GetId());
    GObjectBase* job = tree->FindById(362);
    ASSERT_NE(nullptr, job);
    EXPECT_EQ(nullptr, job->FindById(259)) << "the paper node gives way to the paper size";
    auto* paper = GDriverObject::Feature<GValueAttribute>(job, 260);
    ASSERT_NE(nullptr, paper);
    EXPECT_EQ(ui->DefaultPaperCode(), paper->GetValue());
    EXPECT_NE(nullptr, tree->FindById(363));
    GObjectBase* papers = tree->FindById(276);
    ASSERT_NE(nullptr, papers);
    ASSERT_LE(1u, papers->Entries());
    auto* custom = GDriverObject::Feature<GCustomMediaSize>(papers, 0);
    ASSERT_NE(nullptr, custom);
    EXPECT_EQ(16384, custom->GetId());
    EXPECT_EQ(215900u, custom->GetSize().width);
    EXPECT_EQ(279400u, custom->GetSize().height);
}

// The resource library is looked for only in the module's folder: a name that holds a
// path of its own gives no path at all, so nothing is looked for elsewhere.
TEST_F(DriverUIBase, TheResourceLibraryPathRefusesANameWithAPathOfItsOwn)
{
    auto* name = GDriverObject::Feature<GStringAttribute>(ui->GetPrinterConfiguration(), 401);
    ASSERT_NE(nullptr, name);
    const RWCString original = name->GetString();
    RWWString folder;
    services->GetModuleDirectory(folder);
    const struct {
        const char* name;
        const wchar_t* path;  // after the module's folder; null: none
    } rows[] = {{"qzres32.dll", L"\\qzres32.dll"}, {"..\\qzres32.dll", nullptr}, {"sub/qzres32.dll", nullptr},
                {"C:qzres32.dll", nullptr},       {"\\\\srv\\share\\qzres32.dll", nullptr}, {"", nullptr}};
    for (const auto& row : rows) {
        name->SetString(row.name);
        RWWString path(L"before");
        ui->GetResourceLibraryPath(path);
        EXPECT_EQ(row.path ? std::wstring(folder.Data()) + row.path : std::wstring(), std::wstring(path.Data()))
            << row.name;
    }
    name->SetString(original);
}

TEST(DriverUIBaseName, TheBaseConfigurationNameComesFromTheDriverName)
{
    const struct {
        const char* driver;
        const char* base;
    } rows[] = {
        {"Tonarex 7310 series", "Tonarex 7310"},
        {"Tonarex 7310 PCL6", "Tonarex 7310"},
        {"Tonarex 7310 Series PCL6", "Tonarex 7310"},
        {"PCL6 Universal", ""},  // a match at the start gives no name
        {"xpcl", ""},
        {"Tonarex", ""},
    };
    for (const auto& row : rows)
        EXPECT_STREQ(row.base, GDriverUIBase::BaseNameFromDriverName(row.driver).Data()) << row.driver;
}

TEST_F(DriverUIBase, ModelDefaultsOverlayPrinterDataByTheNodesClass)
{
    std::unique_ptr<GObjectBase> tree(ui->CreateDefaultSettings());
    ASSERT_NE(nullptr, tree);
    GObjectBase* device = tree->FindById(365);
    ASSERT_NE(nullptr, device);
    auto* value = GDriverObject::Feature<GValueAttribute>(device, 197);
    auto* text = GDriverObject::Feature<GStringAttribute>(device, 316);
    auto* range = GDriverObject::Feature<GRangeAttribute>(device, 202);
    ASSERT_TRUE(value && text && range);
    EXPECT_EQ(0, value->GetValue()) << "nothing stored: the model's values stand";
    EXPECT_STREQ("Colour Laser", text->GetString().Data());
    EXPECT_EQ(256, range->GetValue());

    SetDataDword(L"QZTrayConfiguration", 7);
    SetDataString(L"QZDeviceNickname", L"Office");
    SetDataDword(L"QZMemorySize", 768);
    ui->ApplyModelDefaults(tree.get());
    EXPECT_EQ(7, value->GetValue());
    EXPECT_STREQ("Office", text->GetString().Data());
    EXPECT_EQ(768, range->GetValue()) << "the maximum is inside the range";

    SetDataDword(L"QZMemorySize", 769);
    SetDataDword(L"QZTrayConfiguration", 0xFFFFFFFF);
    SetDataString(L"QZDeviceNickname", L"<none>");
    ui->ApplyModelDefaults(tree.get());
    EXPECT_EQ(768, range->GetValue()) << "one past the maximum is refused";
    EXPECT_EQ(7, value->GetValue()) << "0xFFFFFFFF means none";
    EXPECT_STREQ("Office", text->GetString().Data()) << "\"<none>\" means none";

    // A node of another class under an overlaid id is skipped.
    delete device->RemoveById(197);
    device->Add(new GStringAttribute("kept", 197));
    SetDataDword(L"QZTrayConfiguration", 3);
    ui->ApplyModelDefaults(tree.get());
    EXPECT_STREQ("kept", GDriverObject::Feature<GStringAttribute>(device, 197)->GetString().Data());
}

// ---- Forms and paper ----

TEST_F(DriverUIBase, PaperCodesAndFormIndexesMapBothWays)
{
    uint32_t index = 0;
    uint16_t code = 0;
    EXPECT_EQ(1, ui->PaperCodeToFormIndex(16384, index));
    EXPECT_EQ(256u, index);
    EXPECT_EQ(1, ui->FormIndexToPaperCode(256, code));
    EXPECT_EQ(16384, code);
    EXPECT_EQ(1, ui->PaperCodeToFormIndex(16390, index));
    EXPECT_EQ(7u, index);
    // A built-in form maps through the id pool: Wine's first form is Letter, code 1.
    const auto forms = WineForms();
    ASSERT_LE(100u, forms.size());
    EXPECT_EQ(L"Letter", forms[0].first);
    EXPECT_EQ(1, ui->FormIndexToPaperCode(1, code));
    EXPECT_EQ(1, code);
    ASSERT_EQ(L"A4", forms[8].first);
    EXPECT_EQ(1, ui->FormIndexToPaperCode(9, code));
    EXPECT_EQ(23, code) << "the model's own code of A4";
    EXPECT_EQ(1, ui->PaperCodeToFormIndex(23, index));
    EXPECT_EQ(9u, index);
    EXPECT_EQ(0, ui->FormIndexToPaperCode(2, code)) << "Letter Small is not offered";
    EXPECT_EQ(0, ui->FormIndexToPaperCode(0, code));
    EXPECT_EQ(0, ui->FormIndexToPaperCode(uint32_t(forms.size() + 1), code));
}

TEST_F(DriverUIBase, TheFormListIsWinesAndBuiltInFormsAreKnown)
{
    const auto forms = WineForms();
    uint32_t count = 0;
    FORM_INFO_1W* ours = ui->EnumForms(count);
    ASSERT_NE(nullptr, ours);
    EXPECT_EQ(forms.size(), count);
    for (uint32_t i = 0; i < count && i < forms.size(); ++i)
        EXPECT_EQ(forms[i].first, ours[i].pName) << i;
    ui->FreeForms(ours);
    EXPECT_EQ(1, ui->IsBuiltinForm(L"Letter"));
    EXPECT_EQ(0, ui->IsBuiltinForm(L"No Such Form"));
}

TEST_F(DriverUIBase, TheFitRuleHoldsAtTheLimitsAndFailsOneUnitOver)
{
    // The limits in thousandths of a millimetre, from the model's media as the rule
    // reads them.
    GMediaPool* pool = ui->GetMediaAttribute();
    ASSERT_NE(nullptr, pool);
    GMedia* largest = pool->FindMedia(17384, 0, 600, 600);
    GMedia* smallest = pool->FindMedia(17385, 0, 600, 600);
    ASSERT_TRUE(largest && smallest);
    const uint32_t maxW = MulDiv(largest->GetPaperSize().x, 25400, 600),
                   maxL = MulDiv(largest->GetPaperSize().y, 25400, 600),
                   minW = MulDiv(smallest->GetPaperSize().x, 25400, 600),
                   minL = MulDiv(smallest->GetPaperSize().y, 25400, 600);

    TestUI* probe = ui;
    EXPECT_EQ(1, probe->SizeFitsDevice(0, 600, 600, 1, maxW, maxL));
    EXPECT_EQ(1, probe->SizeFitsDevice(0, 600, 600, 1, minW, minL));
    EXPECT_EQ(0, probe->SizeFitsDevice(0, 600, 600, 1, maxW + 1, maxL));
    EXPECT_EQ(0, probe->SizeFitsDevice(0, 600, 600, 1, maxW, maxL + 1));
    EXPECT_EQ(0, probe->SizeFitsDevice(0, 600, 600, 1, minW - 1, minL));
    EXPECT_EQ(1, probe->SizeFitsDevice(0, 600, 600, 0, maxW + 1, maxL)) << "checking off: every form fits";
    // Rotated 90 the limits are read at that rotation and swapped back.
    GMedia* turned = pool->FindMedia(17384, 90, 600, 600);
    ASSERT_NE(nullptr, turned);
    const uint32_t turnedW = MulDiv(turned->GetPaperSize().y, 25400, 600),
                   turnedL = MulDiv(turned->GetPaperSize().x, 25400, 600);
    EXPECT_EQ(1, probe->SizeFitsDevice(90, 600, 600, 1, turnedW, turnedL));
    EXPECT_EQ(0, probe->SizeFitsDevice(90, 600, 600, 1, turnedW + 1, turnedL));
    // No resolution or no limits: nothing fits, and nothing divides by 0.
    EXPECT_EQ(0, probe->SizeFitsDevice(0, 0, 0, 1, maxW, maxL));
    EXPECT_EQ(0, probe->SizeFitsDevice(0, 300, 300, 1, maxW, maxL)) << "no media at 300 dpi";
}

struct Reported {
    std::vector<uint16_t> codes;
};

int Collect(uint16_t code, const wchar_t*, void* context)
{
    static_cast<Reported*>(context)->codes.push_back(code);
    return 1;
}

// The table the printer holds filters the walk, whatever tree is walked.
TEST_F(DriverUIBase, ACustomizedFormToTrayTableFiltersTheDeviceFormsWalk)
{
    std::unique_ptr<GObjectBase> tree(ui->CreateDefaultSettings());
    ASSERT_NE(nullptr, tree);
    Reported all, unfiltered, filtered;
    const int count = ui->EnumDeviceForms(tree.get(), &Collect, &all, 1);
    EXPECT_EQ(int(all.codes.size()), count);
    EXPECT_LE(3, count) << "Letter, Legal and A4 at least";

    auto* table = GDriverObject::Feature<GFormToTrayDatabase>(tree.get(), 510);
    ASSERT_NE(nullptr, table);
    table->SetAssociation(1, 23, 2);  // A4 into tray 2
    ASSERT_TRUE(table->IsCustomized());
    ui->EnumDeviceForms(tree.get(), &Collect, &filtered, 1);
    EXPECT_EQ(all.codes, filtered.codes) << "the printer's own table is not customized";
    filtered.codes.clear();
    ui->SetInstalledState(tree->FindById(365)->DeepCopy());
    ui->EnumDeviceFormsUnfiltered(tree.get(), &Collect, &unfiltered, 1);
    EXPECT_EQ(all.codes, unfiltered.codes);
    ui->EnumDeviceForms(tree.get(), &Collect, &filtered, 1);
    for (uint16_t code : filtered.codes)
        EXPECT_TRUE(table->ContainsFirstValue(code)) << code;
    EXPECT_LT(filtered.codes.size(), all.codes.size());
}

// While forms are assigned to trays, a tree naming a paper no tray holds takes the locale's
// default paper wherever the walk offers it, else the first paper offered; a paper offered
// stays.
TEST_F(DriverUIBase, ADefaultOnAPaperNotOfferedTakesTheLocalesPaperElseTheFirstOffered)
{
    uint16_t letter = 0, legal = 0, a4 = 0;
    ASSERT_EQ(1, ui->GetPoolKey(DMPAPER_LETTER, letter));
    ASSERT_EQ(1, ui->GetPoolKey(DMPAPER_LEGAL, legal));
    ASSERT_EQ(1, ui->GetPoolKey(DMPAPER_A4, a4));
    const struct {
        const char* what;
        std::vector<uint16_t> assigned;  // to trays 1, 2, ...
        uint16_t locale, named, chosen;
    } rows[] = {
        {"the locale's paper offered after another", {letter, a4}, a4, legal, a4},
        {"the locale's paper not offered", {a4, legal}, letter, letter, legal},
        {"the paper named is offered", {letter, a4}, a4, letter, letter},
    };
    for (const auto& row : rows) {
        std::unique_ptr<GObjectBase> tree(ui->CreateDefaultSettings());
        auto* table = GDriverObject::Feature<GFormToTrayDatabase>(Node(tree.get(), 365), 510);
        auto* paper = GDriverObject::Feature<GValueAttribute>(tree.get(), 260);
        ASSERT_TRUE(table && paper) << row.what;
        table->RemoveAll();
        for (size_t tray = 0; tray < row.assigned.size(); ++tray)
            table->SetAssociation(uint16_t(tray + 1), row.assigned[tray], 2);
        ui->SetInstalledState(tree->FindById(365)->DeepCopy());
        ui->localePaper = row.locale;
        paper->SetValue(row.named);
        EXPECT_EQ(row.named != row.chosen, ui->OfferAssignedPaper(tree.get())) << row.what;
        EXPECT_EQ(row.chosen, paper->GetValue()) << row.what;
    }
    ui->localePaper = 0;
}

TEST_F(DriverUIBase, AddOrUpdateFormAnswersZeroWhenTheSpoolerKeepsNoForm)
{
    // Wine answers success and adds nothing: the size gets no code and stays the caller's.
    std::unique_ptr<GObjectBase> papers(new GAttributeComposite(276));
    papers->Add(new GCustomMediaSize(16384, "", 3, 100000, 150000, 0));
    std::unique_ptr<GCustomMediaSize> size(new GCustomMediaSize(0, "QZ Test Size", 3, 100000, 150000, 0));
    EXPECT_EQ(0, ui->AddOrUpdateForm(papers.get(), size.get()));
    EXPECT_EQ(0, size->GetId());
    EXPECT_EQ(1u, papers->Entries());
}

// ---- Application flags ----

class AppFlagSwitch : public testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear()
    {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            HKEY key;
            if (RegOpenKeyExW(root, kAppFlagKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegDeleteValueW(key, kAppFlagSwitch);
                RegCloseKey(key);
            }
        }
    }
    static void Set(HKEY root, DWORD type, const void* data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(root, kAppFlagKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr));
        RegSetValueExW(key, kAppFlagSwitch, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }
};

TEST_F(AppFlagSwitch, TheSwitchClearsThePublicOnlyBitsWhenPresentAndZero)
{
    const uint32_t flags = 0x40100 | 0x8;
    EXPECT_EQ(flags, GDriverUIBase::FilterAppFlags(flags)) << "absent in both: on";
    const DWORD zero = 0, one = 1;
    Set(HKEY_CURRENT_USER, REG_DWORD, &zero, sizeof zero);
    EXPECT_EQ(0x8u, GDriverUIBase::FilterAppFlags(flags)) << "0 in HKCU";
    Clear();
    Set(HKEY_LOCAL_MACHINE, REG_DWORD, &zero, sizeof zero);
    EXPECT_EQ(0x8u, GDriverUIBase::FilterAppFlags(flags)) << "absent in HKCU, 0 in HKLM";
    Set(HKEY_CURRENT_USER, REG_SZ, L"0", sizeof L"0");
    EXPECT_EQ(0x8u, GDriverUIBase::FilterAppFlags(flags)) << "REG_SZ in HKCU: HKLM decides";
    Set(HKEY_CURRENT_USER, REG_DWORD, &one, sizeof one);
    EXPECT_EQ(flags, GDriverUIBase::FilterAppFlags(flags)) << "1 in HKCU wins";
    EXPECT_EQ(0x8u, GDriverUIBase::FilterAppFlags(0x8)) << "without the bits nothing is read";
}

TEST_F(DriverUIBase, PublicOnlyApplicationsGetAndKeep220Bytes)
{
    EXPECT_EQ(1172u, ui->GetDevModeSize(0));
    ui->SetAppFlags(0x100);
    EXPECT_EQ(220u, ui->GetDevModeSize(0));

    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, L"Printers\\DevModes2", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const wchar_t* name = printer.Name().c_str();
    std::vector<uint8_t> stored(1172, 0x5A);
    const WORD size = 220, extra = 952;
    std::memcpy(stored.data() + 68, &size, 2);
    std::memcpy(stored.data() + 70, &extra, 2);
    RegSetValueExW(key, name, 0, REG_BINARY, stored.data(), DWORD(stored.size()));
    EXPECT_EQ(220u, ui->GetDevModeSize(1));
    std::vector<uint8_t> back(2000);
    DWORD type = 0, length = DWORD(back.size());
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, name, nullptr, &type, back.data(), &length));
    EXPECT_EQ(220u, length);
    EXPECT_EQ(220, back[68] | back[69] << 8);
    EXPECT_EQ(0, back[70] | back[71] << 8);

    // Shorter or not binary: untouched.
    for (DWORD kind : {DWORD(REG_BINARY), DWORD(REG_SZ)}) {
        std::vector<uint8_t> other(kind == REG_BINARY ? 200 : 1172, 0x31);
        other.back() = 0, other[other.size() - 2] = 0;
        RegSetValueExW(key, name, 0, kind, other.data(), DWORD(other.size()));
        ui->GetDevModeSize(1);
        length = DWORD(back.size());
        ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, name, nullptr, &type, back.data(), &length));
        EXPECT_EQ(other.size(), length) << kind;
    }
    RegDeleteValueW(key, name);
    RegCloseKey(key);
}

// ---- Hostile DEVMODEs ----

TEST_F(DriverUIBase, AMalformedHeaderIsRefusedAndChangesNothing)
{
    ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr));
    GDriverDevMode* held = ui->GetDevModeObject();
    ui->SetStateWord(5);
    const std::vector<uint8_t> data = AllData();
    const struct {
        WORD size;
        WORD extra;
        DWORD fields;
    } rows[] = {
        {0, 0, 0},
        {75, 0, 0},
        {0xFFFF, 0, 0},
        {220, 0xFFFF, 0},
        {80, 0, DM_FORMNAME},  // names a field beyond its size
    };
    for (const auto& row : rows) {
        std::vector<uint8_t> bytes(70000, 0);
        auto* devMode = reinterpret_cast<DEVMODEW*>(bytes.data());
        devMode->dmSpecVersion = 0x401;
        devMode->dmSize = row.size;
        devMode->dmDriverExtra = row.extra;
        devMode->dmFields = row.fields;
        EXPECT_EQ(0, ui->MergeDevModeIntoSettings(devMode)) << row.size << " " << row.extra;
        EXPECT_EQ(held, ui->GetDevModeObject());
        EXPECT_EQ(5, ui->GetStateWord());
    }
    EXPECT_EQ(data, AllData());
}

TEST_F(DriverUIBase, APublicDevModeEndingAtAGuardPageMergesWithoutAFault)
{
    GuardedBytes guarded(220);
    DEVMODEW* devMode = guarded.DevMode();
    ASSERT_NE(nullptr, devMode);
    devMode->dmSpecVersion = 0x401;
    devMode->dmSize = 220;
    devMode->dmFields = DM_ORIENTATION | DM_COPIES;
    devMode->dmOrientation = DMORIENT_LANDSCAPE;
    devMode->dmCopies = 2;
    EXPECT_EQ(1, ui->MergeDevModeIntoSettings(devMode));
    EXPECT_NE(nullptr, ui->GetDevModeObject());
}

TEST_F(DriverUIBase, AnotherDriversDevModeGivesOnlyItsPublicFields)
{
    std::vector<uint8_t> bytes(1172, 0);
    auto* devMode = reinterpret_cast<DEVMODEW*>(bytes.data());
    devMode->dmSpecVersion = 0x401;
    devMode->dmSize = 220;
    devMode->dmDriverExtra = 952;
    std::memcpy(bytes.data() + 224, "Another Driver", 15);
    std::memset(bytes.data() + 270, 0xA5, 900);  // no tree of ours
    EXPECT_EQ(1, ui->MergeDevModeIntoSettings(devMode));
    ASSERT_NE(nullptr, ui->GetDevModeObject());
    const uint8_t* held = reinterpret_cast<const uint8_t*>(ui->GetDevModeObject()->GetDevMode());
    EXPECT_NE(0, std::memcmp(bytes.data() + 224, held + 224, 15)) << "our driver name stays";
    EXPECT_NE(nullptr, ui->GetCurrentSettings()) << "the defaults' tree stands";
}

// ---- Per-user watermarks ----

TEST_F(DriverUIBase, WithoutAPrinterUuidNothingIsWrittenForTheUser)
{
    EXPECT_EQ(0u, ui->UserWatermarkValueName().Length());
    std::unique_ptr<GObjectBase> lists(new GAttributeComposite(366));
    auto* list = new GAttributeComposite(378);
    auto* mark = new GAttributeComposite(0);
    mark->Add(new GStringAttribute("Mine", 384));
    mark->Add(new GValueAttribute(2, 1125));
    list->Add(mark);
    lists->Add(list);
    EXPECT_EQ(0, ui->SaveUserWatermarks(lists.get()));
}

TEST_F(DriverUIBase, WithAUuidTheUsersWatermarkReplacesThePrintersOfTheSameName)
{
    SetDataString(L"PrinterUUID", L"{qz-test-uuid}");
    const RWWString name = ui->UserWatermarkValueName();
    ASSERT_LT(0u, name.Length());

    // What the user keeps: scope 2 only goes back.
    std::unique_ptr<GObjectBase> lists(new GAttributeComposite(366));
    auto* list = new GAttributeComposite(378);
    // "Dra" only starts the printer's "Draft": it replaces nothing and is added.
    for (auto [text, scope] : {std::pair<const char*, uint16_t>{"Draft", 2}, {"Shared", 1}, {"Dra", 2}}) {
        auto* mark = new GAttributeComposite(0);
        mark->Add(new GStringAttribute(text, 384));
        mark->Add(new GValueAttribute(7, 999));  // the user's own content
        mark->Add(new GValueAttribute(scope, 1125));
        list->Add(mark);
    }
    lists->Add(list);
    ASSERT_EQ(1, ui->SaveUserWatermarks(lists.get()));
    std::unique_ptr<GObjectBase> saved(ui->LoadObject(name));
    ASSERT_NE(nullptr, saved);
    EXPECT_EQ(2u, saved->Entries());

    // Merged into the printer's list: "Draft" replaced, scope 2.
    std::unique_ptr<GObjectBase> stored(ui->CreateDefaultSettings());
    GObjectBase* printerLists = stored->FindById(366);
    ASSERT_NE(nullptr, printerLists);
    ui->MergeUserWatermarks(printerLists);
    GObjectBase* merged = printerLists->FindById(378);
    ASSERT_NE(nullptr, merged);
    EXPECT_EQ(3u, merged->Entries());
    int drafts = 0;
    std::unique_ptr<GObjectIterator> it(merged->CreateIterator());
    while (it->Next()) {
        GObjectBase* mark = it->Current();
        auto* text = GDriverObject::Feature<GStringAttribute>(mark, 384);
        if (text && text->GetString() == RWCString("Draft")) {
            ++drafts;
            EXPECT_NE(nullptr, mark->FindById(999)) << "the user's copy";
            EXPECT_EQ(2, GDriverObject::Feature<GValueAttribute>(mark, 1125)->GetValue());
        }
    }
    EXPECT_EQ(1, drafts);

    // Clean the user's store.
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Prenovant", 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteTreeW(key, L"{qz-test-uuid}");
        RegCloseKey(key);
    }
}

using PrinterDataTest::DamageUserKey;
using PrinterDataTest::UserKeyValues;

// The user's own watermark store is kept as the printer's stores are: one that is there
// but does not read (damaged bytes, a node of another class) keeps its bytes through a
// commit that stores the printer's settings, and is not storable for a sheet; one that
// is absent is written.
TEST_F(DriverUIBase, AUsersWatermarkStoreThatDoesNotReadKeepsItsBytes)
{
    SetDataString(L"PrinterUUID", L"{qz-user-store}");
    const std::wstring key = L"Software\\Prenovant\\{qz-user-store}\\LocalWatermarkPoolData";
    const RWWString name = ui->UserWatermarkValueName();
    ASSERT_LT(0u, name.Length());
    GAttributeComposite readable(378);
    GStringAttribute another("another version's", 378);
    const struct {
        const char* what;
        const GObjectBase* stored;  // null: none
        bool damaged;
    } rows[] = {
        {"absent", nullptr, false},
        {"damaged bytes", &readable, true},
        {"a node of another class", &another, false},
    };
    for (const auto& row : rows) {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Prenovant\\{qz-user-store}");
        if (row.stored) {
            ASSERT_EQ(1, ui->SaveObject(name, row.stored)) << row.what;
        }
        if (row.damaged) {
            ASSERT_NO_FATAL_FAILURE(DamageUserKey(key)) << row.what;
        }
        const std::vector<uint8_t> before = UserKeyValues(key);
        GDriverUIBase::UserWatermarksScope userSwitch(*ui, 1);
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr)) << row.what;
        std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
        GObjectBase* marks = Node(Node(tree.get(), 366), 378);
        ASSERT_NE(nullptr, marks) << row.what;
        auto* mark = new GAttributeComposite(0);
        mark->Add(new GStringAttribute("Mine", 384));
        mark->Add(new GValueAttribute(2, 1125));
        marks->Add(mark);
        EXPECT_EQ(!row.stored, ui->UserWatermarksStorable()) << row.what;
        EXPECT_EQ(1, ui->CommitSettings(tree.get(), 1)) << row.what << ": the printer's settings are stored";
        if (row.stored) {
            EXPECT_EQ(before, UserKeyValues(key)) << row.what << ": the user's store keeps its bytes";
            continue;
        }
        std::unique_ptr<GObjectBase> written(ui->LoadObject(name));
        ASSERT_NE(nullptr, written) << row.what;
        EXPECT_EQ(1u, written->Entries()) << row.what << ": the user's watermark written";
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Prenovant\\{qz-user-store}");
}

// The module's services refusing every write of a value in the user's registry.
struct RefusingUserStore : GUIOSFactory {
    int SetPrinterDataBinary(GDriverObject* driver, const RWWString& name, const void* bytes,
                             uint32_t length) override
    {
        return std::wstring(name.Data(), name.Length()).compare(0, 4, L"???\\") == 0
                   ? 0
                   : GUIOSFactory::SetPrinterDataBinary(driver, name, bytes, length);
    }
};

// The way back from the user's own store that does not read writes the scope-2
// watermarks the tree holds over it (none when it holds none), and then it reads; a
// commit whose write of the user's store is refused keeps its result and tells of the
// write, as does the way back; a commit that writes it, or keeps it unread, tells of none.
TEST_F(DriverUIBase, TheUsersStoreThatDoesNotReadIsReplacedOnlyByTheWayBackAndAFailedWriteIsTold)
{
    SetDataString(L"PrinterUUID", L"{qz-user-store}");
    const std::wstring key = L"Software\\Prenovant\\{qz-user-store}\\LocalWatermarkPoolData";
    const RWWString name = ui->UserWatermarkValueName();
    ASSERT_LT(0u, name.Length());
    GAttributeComposite readable(378);
    const struct {
        const char* what;
        bool damaged;       // else absent
        bool mine;          // the tree holds a watermark of the user's own
        bool refused;       // the user's store is not to be written
        int replaced;       // the way back's answer
        bool unsavedAfterCommit, unsavedAfterReplace;
    } rows[] = {
        {"damaged, one of the user's", true, true, false, 1, false, false},
        {"damaged, none of the user's", true, false, false, 1, false, false},
        {"damaged, the write refused", true, true, true, 0, false, true},
        {"absent, the write refused", false, true, true, 0, true, true},
        {"absent", false, true, false, 1, false, false},
    };
    for (const auto& row : rows) {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Prenovant\\{qz-user-store}");
        if (row.damaged) {
            ASSERT_EQ(1, ui->SaveObject(name, &readable)) << row.what;
            ASSERT_NO_FATAL_FAILURE(DamageUserKey(key)) << row.what;
        }
        const std::vector<uint8_t> before = UserKeyValues(key);
        GDriverUIBase::UserWatermarksScope userSwitch(*ui, 1);
        ASSERT_EQ(1, ui->MergeDevModeIntoSettings(nullptr)) << row.what;
        std::unique_ptr<GObjectBase> tree(ui->LoadStoredSettings());
        GObjectBase* marks = Node(Node(tree.get(), 366), 378);
        ASSERT_NE(nullptr, marks) << row.what;
        if (row.mine) {
            auto* mark = new GAttributeComposite(0);
            mark->Add(new GStringAttribute("Mine", 384));
            mark->Add(new GValueAttribute(2, 1125));
            marks->Add(mark);
        }
        if (row.refused)
            new RefusingUserStore;
        EXPECT_EQ(1, ui->CommitSettings(tree.get(), 0)) << row.what << ": the document's settings are packed";
        EXPECT_EQ(row.unsavedAfterCommit, ui->UserWatermarksUnsaved()) << row.what;
        if (row.damaged || row.refused) {
            EXPECT_EQ(before, UserKeyValues(key)) << row.what << ": the commit wrote nothing to the user's store";
        }
        EXPECT_EQ(row.replaced, ui->ReplaceUnreadableUserWatermarks(tree.get())) << row.what;
        EXPECT_EQ(row.unsavedAfterReplace, ui->UserWatermarksUnsaved()) << row.what;
        if (row.refused)
            new GUIOSFactory;
        if (!row.replaced) {
            EXPECT_EQ(before, UserKeyValues(key)) << row.what << ": the user's store as it was";
            continue;
        }
        EXPECT_TRUE(ui->UserWatermarksStorable()) << row.what << ": the user's store reads";
        std::unique_ptr<GObjectBase> written(ui->LoadObject(name));
        ASSERT_NE(nullptr, written) << row.what;
        EXPECT_EQ(row.mine ? 1u : 0u, written->Entries()) << row.what << ": the user's own watermarks, no others";
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Prenovant\\{qz-user-store}");
}

} // namespace
