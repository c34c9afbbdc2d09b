// The module's own plug-in on the test printer's settings: the counting and page passes,
// the page order and conditions, the job-storage fix-up, the rules, and UI_DESTROY.
#include "NoticeUser.h"
#include "SheetFixture.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "printer/GBin.h"
#include "printer/GPaperHandlingDevice.h"
#include "ui/framework/GJobNoticeDialog.h"
#include "ui/framework/GPropertyPage.h"
#include "ui/framework/GSheetContext.h"
#include "ui/framework/ResourceLibrary.h"
#include "ui/pages/ModulePlugIn.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

class ModulePages : public SheetFixture {
protected:
    void SetUp() override
    {
        SheetFixture::SetUp();
        data.size = 60;
        data.driverUI = record->driverUI;
        data.settings = record->settings;
        data.printer = record->printer;
        data.pageSet = 3;
        data.hook = &GCPSOSUI::DlgProcHook;
        data.request = record;
    }
    void TearDown() override
    {
        ModulePlugIn::Destroy(&data);
        FreePages();
        SheetFixture::TearDown();
    }
    // The host's part: an array of count entries with their links.
    void MakePages(uint16_t count)
    {
        data.pageCount = count;
        data.pages = new QZPageEntry[count]();
        for (uint16_t i = 0; i < count; ++i) {
            data.pages[i].dwSize = 40;
            data.pages[i].lParam = reinterpret_cast<LPARAM>(new PageLink{28, nullptr, nullptr, &data, 0, 0, nullptr});
        }
    }
    void FreePages()
    {
        for (uint16_t i = 0; data.pages && i < data.pageCount; ++i) {
            free(const_cast<wchar_t*>(data.pages[i].pszTitle));
            delete reinterpret_cast<PageLink*>(data.pages[i].lParam);
        }
        delete[] data.pages;
        data.pages = nullptr;
        data.pageCount = 0;
    }
    std::wstring Title(uint16_t i)
    {
        const wchar_t* title = data.pages[i].pszTitle;
        return title ? title : L"";
    }
    uintptr_t Template(uint16_t i) { return reinterpret_cast<uintptr_t>(data.pages[i].pszTemplate); }

    GUIData data = {};
};

// The test printer is a colour device: its sheet has the Color page after Basics.
TEST_F(ModulePages, ADocumentSheetWithoutOutputOptionsOrJobStorageCountsSevenAndFillsFive)
{
    SetString(316, "");
    SetValue(520, 0);
    EXPECT_EQ(7, ModulePlugIn::Initialize(&data, 0)) << "the counting pass";
    EXPECT_EQ(nullptr, data.sheetContext) << "the counting pass makes no context";
    MakePages(7);
    EXPECT_EQ(6, ModulePlugIn::Initialize(&data, 0)) << "the page pass lowers the count for job storage";
    const wchar_t* titles[] = {L"Finishing", L"Effects", L"Paper", L"Basics", L"Color"};
    const uintptr_t dialogs[] = {3000, 6000, 2000, 1000, 14000};
    for (uint16_t i = 0; i < 5; ++i) {
        EXPECT_EQ(titles[i], Title(i));
        EXPECT_EQ(dialogs[i], Template(i));
        EXPECT_EQ(ResourceLibrary::GetResourceLibrary(), data.pages[i].hInstance);
        EXPECT_EQ(&GPropertyPage::PropertyPageProc, data.pages[i].pfnDlgProc);
        EXPECT_FALSE(data.pages[i].dwFlags & PSP_HASHELP) << "no help file beside the module";
        ASSERT_NE(nullptr, reinterpret_cast<PageLink*>(data.pages[i].lParam)->page);
    }
    EXPECT_EQ(0u, Template(5)) << "unfilled entries stay empty";
    EXPECT_EQ(0u, Template(6));
    ASSERT_NE(nullptr, data.sheetContext);
    EXPECT_EQ(21u, data.sheetContext->RuleCount()) << "the Finishing rule and the set of 20";
}

TEST_F(ModulePages, OutputOptionsAndJobStorageAddTheirPages)
{
    SetString(316, "Stapler");
    SetValue(520, 1);
    EXPECT_EQ(8, ModulePlugIn::Initialize(&data, 0)) << "with the Color page";
    MakePages(8);
    EXPECT_EQ(8, ModulePlugIn::Initialize(&data, 0));
    EXPECT_EQ(L"Output", Title(3));
    EXPECT_EQ(16000u, Template(3));
    EXPECT_EQ(L"Job Retention", Title(4));
    EXPECT_EQ(L"Basics", Title(5));
    EXPECT_EQ(L"Color", Title(6));
}

TEST_F(ModulePages, DevicePagesAloneAreNTFormsThenConfigure)
{
    data.pageSet = 4;
    EXPECT_EQ(2, ModulePlugIn::Initialize(&data, 0));
    MakePages(2);
    EXPECT_EQ(2, ModulePlugIn::Initialize(&data, 0));
    EXPECT_EQ(12000u, Template(0));
    EXPECT_EQ(7000u, Template(1));
    EXPECT_EQ(nullptr, data.pages[0].pszTitle) << "device pages show their dialog's caption";
    EXPECT_EQ(20u, data.sheetContext->RuleCount());
}

TEST_F(ModulePages, ThePagePassStopsAtTheEndOfTheArray)
{
    SetString(316, "");
    SetValue(520, 0);
    MakePages(5);
    // From index 3 only two entries remain: nothing is written past them.
    EXPECT_EQ(6, ModulePlugIn::Initialize(&data, 3));
    EXPECT_EQ(3000u, Template(3));
    EXPECT_EQ(6000u, Template(4));
    EXPECT_EQ(0u, Template(0));
}

TEST_F(ModulePages, JobStorageModeIsClearedWithoutDiskBeforeFinishingIsBuilt)
{
    const struct {
        uint16_t disk, storage, mode, expected;
    } cases[] = {{0, 1, 3, 0}, {0, 1, 1, 0}, {0, 1, 2, 2}, {1, 1, 3, 3}, {0, 0, 3, 3}};
    for (const auto& c : cases) {
        SetValue(239, c.disk);
        SetValue(520, c.storage);
        SetValue(287, c.mode);
        MakePages(8);
        ModulePlugIn::Initialize(&data, 0);
        EXPECT_EQ(c.expected, Value(287)) << c.disk << ' ' << c.storage << ' ' << c.mode;
        ModulePlugIn::Destroy(&data);
        FreePages();
    }
}

TEST_F(ModulePages, DestroyDeletesOurPagesAndReleasesTheLibraryOnce)
{
    MakePages(8);
    ModulePlugIn::Initialize(&data, 0);
    const uint32_t references = ResourceLibrary::ReferenceCount();
    ASSERT_GE(references, 1u);
    EXPECT_EQ(0, ModulePlugIn::Destroy(&data));
    EXPECT_EQ(nullptr, data.sheetContext);
    EXPECT_EQ(references - 1, ResourceLibrary::ReferenceCount());
    for (uint16_t i = 0; i < data.pageCount; ++i)
        EXPECT_EQ(nullptr, reinterpret_cast<PageLink*>(data.pages[i].lParam)->page);
    // A second call (a plug-in destroyed after an overclaim) releases nothing more.
    EXPECT_EQ(0, ModulePlugIn::Destroy(&data));
    EXPECT_EQ(references - 1, ResourceLibrary::ReferenceCount());
}

// The printer's resource library named as the stand-in that marks the running of its code,
// for the life of this object: the driver object is shared by the tests of this process.
class MarkingResourceLibrary {
public:
    explicit MarkingResourceLibrary(GDriverObject* driver)
        : name_(GDriverObject::Feature<GStringAttribute>(driver->GetPrinterConfiguration(), FeatureId::kDisplayName))
    {
        if (name_) {
            old_ = name_->GetString();
            name_->SetString("qzresmark.dll");
        }
        DeleteFileW(Mark().c_str());
    }
    ~MarkingResourceLibrary()
    {
        if (name_)
            name_->SetString(old_);
        DeleteFileW(Mark().c_str());
    }
    bool Named() const { return name_ != nullptr; }
    static std::wstring Path() { return TestPrinter::ProgramFolder() + L"\\qzresmark.dll"; }
    static bool Marked() { return GetFileAttributesW(Mark().c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    static std::wstring Mark()
    {
        return TestPrinter::ProgramFolder() + L"\\qzresmark-" + std::to_wstring(GetCurrentProcessId()) + L".ran";
    }
    GStringAttribute* name_;
    RWCString old_;
};

// Only its resources are read: no code of the resource library runs when the sheet opens,
// the job notice shows or the sheet's title is read, and the stand-in marks it when it does.
TEST_F(ModulePages, TheResourceLibraryIsLoadedAsDataByThePagesTheNoticeAndTheTitle)
{
    ASSERT_EQ(0u, ResourceLibrary::ReferenceCount()) << "no sheet holds the library";
    MarkingResourceLibrary library(record->driverUI);
    ASSERT_TRUE(library.Named());
    ASSERT_EQ(MarkingResourceLibrary::Path(), std::wstring(record->driverUI->GetResourceLibraryPath().Data()));

    MakePages(8);
    EXPECT_LT(0, ModulePlugIn::Initialize(&data, 0)) << "the pages are made from the stand-in";
    EXPECT_FALSE(MarkingResourceLibrary::Marked()) << "the sheet opened";

    GDriverUIDocumentEvents::JobNotice notice;
    notice.resourceLibrary = record->driverUI->GetResourceLibraryPath();
    NoticeUser user;
    ASSERT_TRUE(user.Started());
    bool dontShowAgain = false;
    EXPECT_EQ(1, GJobNoticeDialog::Show(notice, dontShowAgain));
    ASSERT_TRUE(user.Join()) << "the notice's user ends in time";
    EXPECT_TRUE(user.Saw().found);
    EXPECT_FALSE(MarkingResourceLibrary::Marked()) << "the notice showed";

    GCPSOSUI glue;
    HWND parent = CreateWindowExW(0, L"#32770", L"Printing Preferences", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    HWND page = CreateWindowExW(0, L"#32770", L"", WS_CHILD, 0, 0, 50, 50, parent, nullptr, nullptr, nullptr);
    GCPSOSUI::DlgProcHook(page, WM_INITDIALOG, 0, 0, &data);
    wchar_t title[64] = {};
    GetWindowTextW(parent, title, 64);
    EXPECT_STREQ(L"Printing Preferences - Colour Laser", title) << "the title's suffix is the stand-in's";
    DestroyWindow(page);
    DestroyWindow(parent);
    EXPECT_FALSE(MarkingResourceLibrary::Marked()) << "the title was read";

    // The stand-in marks its running.
    HMODULE code = LoadLibraryW(MarkingResourceLibrary::Path().c_str());
    ASSERT_NE(nullptr, code);
    FreeLibrary(code);
    EXPECT_TRUE(MarkingResourceLibrary::Marked());
}

// The device configuration's values for one case; restored afterwards, since the driver
// object (and its configuration) is shared by the tests of this process.
class DeviceConfiguration {
public:
    explicit DeviceConfiguration(GDriverObject* driver)
    {
        GObjectBase* configuration = driver->GetPrinterConfiguration();
        device = configuration ? configuration->FindById(228) : nullptr;
    }
    ~DeviceConfiguration()
    {
        for (uint16_t id : added)
            delete device->RemoveById(id);
        for (const auto& saved : old)
            GDriverObject::Feature<GValueAttribute>(device, saved.first)->SetValue(saved.second);
    }
    void Set(uint16_t id, uint16_t value)
    {
        if (GValueAttribute* found = GDriverObject::Feature<GValueAttribute>(device, id)) {
            old.emplace_back(id, found->GetValue());
            found->SetValue(value);
        } else {
            device->Add(new GValueAttribute(value, id));
            added.push_back(id);
        }
    }
    GObjectBase* device;
    std::vector<uint16_t> added;
    std::vector<std::pair<uint16_t, uint16_t>> old;
};

TEST_F(ModulePages, ConfigToSettingsWithoutFullOptionsCopiesOnly313)
{
    DeviceConfiguration device(record->driverUI);
    ASSERT_NE(nullptr, device.device) << "the model has a device configuration";
    device.Set(313, 1);
    device.Set(226, 1);
    SetValue(313, 0);
    SetValue(520, 7);
    EXPECT_EQ(0, ModulePlugIn::ConfigToSettings(&data));
    EXPECT_EQ(1, Value(313));
    EXPECT_EQ(7, Value(520)) << "nothing past 313";
    EXPECT_EQ(0, ModulePlugIn::ConfigToSettings(nullptr));
}

TEST_F(ModulePages, ConfigToSettingsEnablesJobStorageFrom192MegabytesWithoutDisk)
{
    const struct {
        uint16_t memory, disk, mode, storage, expectedMode;
    } cases[] = {{192, 0, 3, 1, 3}, {191, 0, 3, 0, 0}, {0, 2, 1, 1, 1}};
    for (const auto& c : cases) {
        DeviceConfiguration device(record->driverUI);
        ASSERT_NE(nullptr, device.device);
        device.Set(313, 2);
        device.Set(201, c.memory);
        device.Set(1211, 0);
        device.Set(226, c.disk);
        device.Set(231, c.mode);
        SetValue(310, 9);
        EXPECT_EQ(0, ModulePlugIn::ConfigToSettings(&data));
        EXPECT_EQ(c.storage, Value(520)) << c.memory << ' ' << c.disk;
        EXPECT_EQ(c.expectedMode, Value(310)) << c.memory << ' ' << c.disk;
        EXPECT_EQ(c.memory, Value(925));
        EXPECT_EQ(c.disk > 0 ? 1 : 0, Value(239));
    }
}

TEST_F(ModulePages, ConfigToSettingsListsTheOutputDevicesBins4To17InOrder)
{
    DeviceConfiguration device(record->driverUI);
    ASSERT_NE(nullptr, device.device);
    device.Set(313, 2);
    GObjectBase* existing = device.device->FindById(90);
    auto* list = dynamic_cast<GAttributeComposite*>(existing);
    if (!existing) {
        list = new GAttributeComposite(90);
        device.device->Add(list);
    }
    ASSERT_NE(nullptr, list);
    auto* stacker = new GPaperHandlingDevice("Stacker", GPaperHandlingDevice::kOutput, 1, 1, 0, 0, 0);
    auto* bins = new GAttributeComposite(0);
    const struct {
        const char* name;
        uint16_t id;
    } rows[] = {{"Face Down", 3}, {"Bin 4", 4}, {"Bin 17", 17}, {"Bin 18", 18}, {"Bin 9", 9}};
    for (const auto& row : rows)
        bins->Add(new GBin(row.name, row.id, 0));
    stacker->SetOption(1, bins);
    // The model's own output devices count no bins, so the added one is the first that does.
    list->Add(stacker);
    SetString(316, "old");

    EXPECT_EQ(0, ModulePlugIn::ConfigToSettings(&data));
    EXPECT_EQ("Stacker", String(316));
    GObjectBase* names = GDriverObject::Feature<GAttributeComposite>(Root(), 314);
    ASSERT_NE(nullptr, names);
    std::vector<std::string> found;
    std::unique_ptr<GObjectIterator> it(names->CreateIterator());
    while (it && it->Next())
        if (auto* name = dynamic_cast<GStringAttribute*>(it->Current()))
            found.emplace_back(name->GetString().Data(), name->GetString().Length());
    EXPECT_EQ((std::vector<std::string>{"Bin 4", "Bin 17", "Bin 9"}), found);

    delete list->Remove(stacker);
    if (!existing)
        delete device.device->RemoveById(90);
}

}  // namespace

// The module loaded beside this program is another module with its own copies of the
// classes; this program allocates with the runtime's heap. The module changes this
// program's tree as a plug-in host's would be changed: it lets go of this program's
// strings and objects and adds objects of its own, which this program then frees. Every
// heap of the process still holds together afterwards.
TEST_F(ModulePages, TheLoadedModuleAndItsHostFreeEachOthersBlocks)
{
    HMODULE module = LoadLibraryW((TestPrinter::ProgramFolder() + L"\\qzui32.dll").c_str());
    ASSERT_NE(nullptr, module);
    typedef int16_t(WINAPI * ConfigToSettingsFn)(GUIData*);
    auto configToSettings =
        reinterpret_cast<ConfigToSettingsFn>(reinterpret_cast<void*>(GetProcAddress(module, "UI_CONFIGTOSETTINGS")));
    ASSERT_NE(nullptr, configToSettings);
    {
        DeviceConfiguration device(record->driverUI);
        ASSERT_NE(nullptr, device.device);
        device.Set(313, 2);
        device.Set(201, 192);
        device.Set(1211, 0);
        device.Set(226, 0);
        device.Set(231, 3);
        GObjectBase* options = GDriverObject::Feature<GAttributeComposite>(Root(), FeatureId::kDeviceSettings);
        ASSERT_NE(nullptr, options);
        delete options->RemoveById(925);
        // The module replaces the host's font list by a copy of the device's, deleting
        // the host's object, and adds the memory size as an object of its own.
        const bool deviceHadFonts = device.device->FindById(701) != nullptr;
        if (!deviceHadFonts)
            device.device->Add(new GAttributeComposite(701));
        delete options->RemoveById(701);
        GObjectBase* hostFonts = new GAttributeComposite(701);
        options->Add(hostFonts);
        EXPECT_EQ(0, configToSettings(&data));
        EXPECT_NE(hostFonts, options->FindById(701)) << "the host's list was replaced";
        EXPECT_EQ(192, Value(925)) << "the module added the memory size";
        delete options->RemoveById(925);
        if (!deviceHadFonts)
            delete device.device->RemoveById(701);
    }
    std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
    heaps.resize(GetProcessHeaps(DWORD(heaps.size()), heaps.data()));
    for (HANDLE heap : heaps)
        EXPECT_TRUE(HeapValidate(heap, 0, nullptr)) << heap;
    FreeLibrary(module);
}
