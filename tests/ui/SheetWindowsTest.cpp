// The document sheet on the display (xvfb-run): through the platform's DocumentPropertiesW
// and the driver's own entry points, closed by a hook that presses OK; every page and
// sub-dialog the builders make is created from its template; a check box writes its
// feature and a cancelled sub-dialog takes its change back.
#include "SheetFixture.h"

#include "entry/module/DriverPlatform.h"
#include "pdl/pcl5e/GPcl5e.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "printer/GOSFactory.h"
#include "ui/framework/GPropertyPage.h"
#include "ui/framework/GSheetContext.h"
#include "ui/framework/ResourceLibrary.h"
#include "ui/pages/ModulePlugIn.h"
#include "ui/pages/PageBuilders.h"
#include "ui/pages/PageControls.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace {

// A hook on this thread that acts on every window activated while it is set: a property
// sheet has each of its pages selected (so that each is created), its tab texts noted,
// and is closed with the button (OK unless told); any other dialog gets the test's action.
class ActivationHook {
public:
    explicit ActivationHook(std::function<void(HWND)> onDialog = nullptr) : onDialog_(std::move(onDialog))
    {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &ActivationHook::Proc, nullptr, GetCurrentThreadId());
    }
    ~ActivationHook()
    {
        UnhookWindowsHookEx(hook_);
        current_ = nullptr;
    }
    bool Set() const { return hook_ != nullptr; }

    std::vector<std::wstring> tabs;
    int sheets = 0;
    int dialogs = 0;
    int button = PSBTN_OK;

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE && current_)
            current_->Activated(reinterpret_cast<HWND>(wParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    void Activated(HWND window)
    {
        auto tab = reinterpret_cast<HWND>(SendMessageW(window, PSM_GETTABCONTROL, 0, 0));
        if (tab) {
            ++sheets;
            const int count = int(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                wchar_t text[64] = {};
                TCITEMW item = {};
                item.mask = TCIF_TEXT;
                item.pszText = text;
                item.cchTextMax = 64;
                SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
                tabs.push_back(text);
                PostMessageW(window, PSM_SETCURSEL, i, 0);
            }
            PostMessageW(window, PSM_PRESSBUTTON, button, 0);
            return;
        }
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (std::wstring(name) != L"#32770")
            return;
        ++dialogs;
        if (onDialog_)
            onDialog_(window);
        else
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    }

    static ActivationHook* current_;
    HHOOK hook_ = nullptr;
    std::function<void(HWND)> onDialog_;
};
ActivationHook* ActivationHook::current_ = nullptr;

bool Contains(const std::vector<std::wstring>& texts, const wchar_t* text)
{
    return std::find(texts.begin(), texts.end(), std::wstring(text)) != texts.end();
}

// The printer's own module, as the spooler loads it, reached through its exports.
class DriverModule : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        module = LoadLibraryW((TestPrinter::ProgramFolder() + L"\\qzui32.dll").c_str());
        ASSERT_NE(nullptr, module);
        documentProperties = reinterpret_cast<DocumentPropertiesFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "DrvDocumentProperties")));
        advanced = reinterpret_cast<AdvancedFn>(
            reinterpret_cast<void*>(GetProcAddress(module, "DrvAdvancedDocumentProperties")));
        ASSERT_NE(nullptr, documentProperties);
        ASSERT_NE(nullptr, advanced);
        name = printer.Name();
    }
    void TearDown() override { FreeLibrary(module); }

    typedef LONG(WINAPI* DocumentPropertiesFn)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
    typedef LONG(WINAPI* AdvancedFn)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW);
    const TestPrinter& printer = TestPrinter::Shared();
    HMODULE module = nullptr;
    DocumentPropertiesFn documentProperties = nullptr;
    AdvancedFn advanced = nullptr;
    std::wstring name;
};

TEST_F(DriverModule, ModeZeroAndANullOutputAnswerTheSize)
{
    std::vector<uint8_t> output(1172, 0);
    EXPECT_EQ(1172,
              documentProperties(nullptr, nullptr, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), nullptr, 0));
    EXPECT_EQ(1172, documentProperties(nullptr, nullptr, &name[0], nullptr, nullptr, DM_COPY));
    EXPECT_EQ(1172, advanced(nullptr, nullptr, &name[0], nullptr, nullptr));
}

TEST_F(DriverModule, APromptShowsTheSheetAndAnswersTheButtonThatClosedIt)
{
    // Wine's sheet reports no result: the module knows OK from the apply it committed.
    const struct {
        int button;
        LONG answer;
    } rows[] = {{PSBTN_OK, IDOK}, {PSBTN_CANCEL, IDCANCEL}};
    for (const auto& row : rows) {
        ActivationHook hook;
        ASSERT_TRUE(hook.Set());
        hook.button = row.button;
        std::vector<uint8_t> output(1172, 0);
        EXPECT_EQ(row.answer,
                  documentProperties(nullptr, nullptr, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), nullptr,
                                     DM_PROMPT | DM_COPY))
            << "button " << row.button;
        EXPECT_EQ(1, hook.sheets) << "button " << row.button;
        EXPECT_TRUE(Contains(hook.tabs, L"Finishing"));
        EXPECT_TRUE(IsValidDevmodeW(reinterpret_cast<DEVMODEW*>(output.data()), output.size()))
            << "the output holds the merged input from INIT on";
    }
}

TEST_F(DriverModule, TheAdvancedSheetAnswersOneForOkAndZeroForCancel)
{
    for (const auto& row : {std::make_pair(PSBTN_OK, 1), std::make_pair(PSBTN_CANCEL, 0)}) {
        ActivationHook hook;
        hook.button = row.first;
        std::vector<uint8_t> output(1172, 0);
        EXPECT_EQ(row.second, advanced(nullptr, nullptr, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), nullptr))
            << "button " << row.first;
        EXPECT_EQ(1, hook.sheets);
    }
}

TEST_F(DriverModule, AnUnknownPrinterHasNoObjectAndAnswersZero)
{
    ActivationHook hook;
    std::vector<uint8_t> output(1172, 0);
    std::wstring unknown = L"QZ No Such Printer";
    EXPECT_EQ(0, documentProperties(nullptr, nullptr, &unknown[0], reinterpret_cast<DEVMODEW*>(output.data()),
                                    nullptr, DM_PROMPT | DM_COPY));
    EXPECT_EQ(0, hook.sheets);
}

TEST(PlatformSheet, DocumentPropertiesShowsTheModulesPagesAndHandsBackAValidDevMode)
{
    const TestPrinter& printer = TestPrinter::Shared();
    ASSERT_TRUE(printer.Installed()) << printer.Failure();
    std::wstring name = printer.Name();
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
    const LONG size = DocumentPropertiesW(nullptr, handle, &name[0], nullptr, nullptr, 0);
    ASSERT_EQ(1172, size);
    // Wine's sheet reports no result: the platform answers OK whichever button closed it.
    for (int button : {PSBTN_OK, PSBTN_CANCEL}) {
        std::vector<uint8_t> output(size_t(size), 0);
        ActivationHook hook;
        hook.button = button;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(IDOK,
                  DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), nullptr,
                                      DM_IN_PROMPT | DM_OUT_BUFFER))
            << "button " << button;
        EXPECT_EQ(1, hook.sheets) << "button " << button;
        for (const wchar_t* page : {L"Finishing", L"Effects", L"Paper", L"Basics"})
            EXPECT_TRUE(Contains(hook.tabs, page)) << std::string(page, page + wcslen(page));
        EXPECT_TRUE(IsValidDevmodeW(reinterpret_cast<DEVMODEW*>(output.data()), output.size()));
        EXPECT_EQ(220, reinterpret_cast<DEVMODEW*>(output.data())->dmSize);
    }
    ClosePrinter(handle);
}

void SubDialogs(const GDialogBase* dialog, std::vector<GModalDialog*>& found);

// The module's pages built in this process over the test printer's settings, each created
// from its template under a hidden top-level window.
class PageWindows : public SheetFixture {
protected:
    void SetUp() override
    {
        SheetFixture::SetUp();
        data.size = 60;
        data.driverUI = record->driverUI;
        data.settings = record->settings;
        data.printer = record->printer;
        data.hook = &GCPSOSUI::DlgProcHook;
        data.request = record;
        owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 400, 400, nullptr, nullptr, nullptr,
                                nullptr);
        ASSERT_NE(nullptr, owner);
    }
    void TearDown() override
    {
        Unbuild();
        DestroyWindow(owner);
        SheetFixture::TearDown();
    }
    // The pages' windows and the plug-in's pages gone, for another Build.
    void Unbuild()
    {
        for (HWND page : pages)
            DestroyWindow(page);
        pages.clear();
        ModulePlugIn::Destroy(&data);
        for (uint16_t i = 0; data.pages && i < data.pageCount; ++i) {
            free(const_cast<wchar_t*>(data.pages[i].pszTitle));
            delete reinterpret_cast<PageLink*>(data.pages[i].lParam);
        }
        delete[] data.pages;
        data.pages = nullptr;
        data.pageCount = 0;
    }
    // Both passes of the module's plug-in for the page set.
    void Build(uint32_t pageSet)
    {
        data.pageSet = pageSet;
        const int16_t count = ModulePlugIn::Initialize(&data, 0);
        ASSERT_GT(count, 0);
        data.pageCount = uint16_t(count);
        data.pages = new QZPageEntry[size_t(count)]();
        for (int16_t i = 0; i < count; ++i) {
            data.pages[i].dwSize = 40;
            data.pages[i].lParam = reinterpret_cast<LPARAM>(new PageLink{28, nullptr, nullptr, &data, 0, 0, nullptr});
        }
        ModulePlugIn::Initialize(&data, 0);
    }
    HWND Create(QZPageEntry& entry)
    {
        HWND page = CreateDialogParamW(entry.hInstance, entry.pszTemplate, owner, entry.pfnDlgProc,
                                       reinterpret_cast<LPARAM>(&entry));
        if (page)
            pages.push_back(page);
        return page;
    }
    GPropertyPage* PageOf(QZPageEntry& entry) { return reinterpret_cast<PageLink*>(entry.lParam)->page; }
    // The first sub-dialog of that id the built pages open, in page order; null when none.
    GModalDialog* SubDialogById(int id)
    {
        for (uint16_t i = 0; i < data.pageCount; ++i) {
            std::vector<GModalDialog*> found;
            if (PageOf(data.pages[i]))
                SubDialogs(PageOf(data.pages[i]), found);
            for (GModalDialog* dialog : found)
                if (dialog->GetDialogId() == id)
                    return dialog;
        }
        return nullptr;
    }

    GUIData data = {};
    HWND owner = nullptr;
    std::vector<HWND> pages;
};

// Every sub-dialog the controls of the dialog open, depth first.
void SubDialogs(const GDialogBase* dialog, std::vector<GModalDialog*>& found)
{
    for (size_t i = 0; i < dialog->ControlCount(); ++i)
        if (auto* control = dynamic_cast<GFeatureControl*>(dialog->GetControl(i)))
            if (GModalDialog* sub = control->GetDialog()) {
                found.push_back(sub);
                SubDialogs(sub, found);
            }
    for (size_t i = 0; i < dialog->SubDialogCount(); ++i)
        if (auto* sub = dynamic_cast<GModalDialog*>(dialog->GetSubDialog(i))) {
            found.push_back(sub);
            SubDialogs(sub, found);
        }
}

TEST_F(PageWindows, EveryPageAndSubDialogIsCreatedWithTheItemsOfItsControls)
{
    SetString(316, "Stapler");
    SetValue(520, 1);
    SetValue(339, 1);
    Build(3 | 4);
    std::vector<GModalDialog*> subDialogs;
    int created = 0;
    for (uint16_t i = 0; i < data.pageCount; ++i) {
        QZPageEntry& entry = data.pages[i];
        if (!entry.pszTemplate)
            continue;
        HWND page = Create(entry);
        ASSERT_NE(nullptr, page) << "dialog " << reinterpret_cast<uintptr_t>(entry.pszTemplate);
        ++created;
        GPropertyPage* object = PageOf(entry);
        for (size_t c = 0; c < object->ControlCount(); ++c)
            for (const DialogItem& item : object->GetControl(c)->GetItems())
                EXPECT_NE(nullptr, GetDlgItem(page, item.itemId)) << item.itemId;
        SubDialogs(object, subDialogs);
    }
    EXPECT_GE(created, 8) << "seven document pages (the test model may leave out Color) and two device pages";
    // The test model keeps no writer where the pages look for it (98/101): the details
    // dialogs of both writers come from Finishing pages built here.
    GCheetah cheetah;
    GPcl5e pcl5e;
    std::vector<std::unique_ptr<GPropertyPage>> finishing;
    for (GObjectBase* writer : {static_cast<GObjectBase*>(&cheetah), static_cast<GObjectBase*>(&pcl5e)}) {
        QZPageEntry entry = {};
        entry.dwSize = 40;
        finishing.emplace_back(PageBuilders::BuildFinishing(&entry, data.sheetContext, true, writer));
        free(const_cast<wchar_t*>(entry.pszTitle));
        SubDialogs(finishing.back().get(), subDialogs);
    }
    std::set<uint16_t> ids;
    for (GModalDialog* dialog : subDialogs)
        ids.insert(dialog->GetDialogId());
    const std::set<uint16_t> expected = {9000, 13001, 5000, 8000, 7500, 7300, 7200, 7100};
    std::string named;
    for (uint16_t id : ids)
        named += std::to_string(id) + " ";
    EXPECT_TRUE(std::includes(ids.begin(), ids.end(), expected.begin(), expected.end())) << named;
    EXPECT_EQ(ids.size(), subDialogs.size()) << "each sub-dialog is made once";
    ActivationHook hook;
    for (GModalDialog* dialog : subDialogs)
        EXPECT_EQ(IDCANCEL, dialog->Run(owner, 0)) << "dialog " << dialog->GetDialogId();
    EXPECT_EQ(int(subDialogs.size()), hook.dialogs);
}

TEST_F(PageWindows, ACheckBoxWritesItsFeature)
{
    SetValue(382, 0);
    Build(3);
    for (uint16_t i = 0; i < data.pageCount; ++i) {
        QZPageEntry& entry = data.pages[i];
        if (reinterpret_cast<uintptr_t>(entry.pszTemplate) != 6000)
            continue;
        HWND page = Create(entry);
        ASSERT_NE(nullptr, page);
        EXPECT_EQ(BST_UNCHECKED, IsDlgButtonChecked(page, 6012));
        for (int notice : {6025, 6026, 1013, 1015})
            EXPECT_FALSE(GetWindowLongW(GetDlgItem(page, notice), GWL_STYLE) & WS_VISIBLE)
                << "notice " << notice << " stays hidden while no rule locks";
        SendMessageW(GetDlgItem(page, 6012), BM_CLICK, 0, 0);
        EXPECT_EQ(1, Value(382));
        SendMessageW(GetDlgItem(page, 6012), BM_CLICK, 0, 0);
        EXPECT_EQ(0, Value(382));
        return;
    }
    FAIL() << "no Effects page";
}

TEST_F(PageWindows, ACancelledSubDialogTakesItsChangeBackAndOkKeepsIt)
{
    SetValue(239, 0);
    Build(4);
    GModalDialog* more = SubDialogById(7500);
    ASSERT_NE(nullptr, more);
    for (const auto& close : {std::make_pair(IDCANCEL, uint16_t(0)), std::make_pair(IDOK, uint16_t(1))}) {
        ActivationHook hook([&](HWND dialog) {
            PostMessageW(GetDlgItem(dialog, 7046), BM_CLICK, 0, 0);
            PostMessageW(dialog, WM_COMMAND, close.first, 0);
        });
        EXPECT_EQ(close.first, more->Run(owner, 0));
        EXPECT_EQ(close.second, Value(239)) << close.first;
    }
}

using DriverSheet = SheetFixture;

TEST_F(DriverSheet, ASheetWhoseInitFailsAnswersMinusOne)
{
    // The sheet's entry is the module's export: the printer's module, whose own object
    // for the header's printer cannot be had when no printer has that name.
    HMODULE module = LoadLibraryW((TestPrinter::ProgramFolder() + L"\\qzui32.dll").c_str());
    ASSERT_NE(nullptr, module);
    GOSFactory* services = GOSFactory::Instance();
    const uint32_t own = services->GetModuleHandle();
    services->SetModuleHandle(uint32_t(reinterpret_cast<uintptr_t>(module)));
    ActivationHook hook;
    std::vector<uint8_t> output(1172, 0);
    std::wstring unknown = L"QZ No Such Printer";
    EXPECT_EQ(-1, ui->DocumentProperties(nullptr, nullptr, &unknown[0], reinterpret_cast<DEVMODEW*>(output.data()),
                                         nullptr, DM_PROMPT | DM_COPY));
    EXPECT_EQ(0, hook.sheets);
    services->SetModuleHandle(own);
    FreeLibrary(module);
}

TEST_F(DriverSheet, WithoutTheModulesExportTheObjectRunsItsOwnSheet)
{
    ActivationHook hook;
    std::vector<uint8_t> output(1172, 0);
    std::wstring name = printer.Name();
    // The hook closes the sheets with OK.
    EXPECT_EQ(IDOK, ui->DocumentProperties(nullptr, nullptr, &name[0], reinterpret_cast<DEVMODEW*>(output.data()),
                                           nullptr, DM_PROMPT | DM_COPY));
    EXPECT_EQ(1, hook.sheets);
    EXPECT_TRUE(Contains(hook.tabs, L"Basics"));
    EXPECT_EQ(1, ui->AdvancedDocumentProperties(nullptr, nullptr, &name[0],
                                                reinterpret_cast<DEVMODEW*>(output.data()), nullptr));
    EXPECT_EQ(2, hook.sheets);
}

TEST_F(PageWindows, TheAboutBoxNamesTheDriverWithItsSuffix)
{
    Build(3);
    std::wstring driver, extensions;
    ActivationHook hook([&](HWND dialog) {
        wchar_t text[256] = {};
        GetDlgItemTextW(dialog, GAboutFeature::kDriverTextItem, text, 256);
        driver = text;
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    GAboutFeature about(data.sheetContext);
    EXPECT_EQ(IDOK, about.Show(owner));
    EXPECT_EQ(1, hook.dialogs);
    EXPECT_EQ(L"Colour Laser (VAZ 2.0)", driver);
}

}  // namespace

namespace {

// The window of the page built from the template; null when the page set has none.
HWND PageWindow(PageWindows& fixture, std::vector<HWND>& made, GUIData& data, uint16_t dialogId,
                const std::function<HWND(QZPageEntry&)>& create)
{
    for (uint16_t i = 0; i < data.pageCount; ++i)
        if (reinterpret_cast<uintptr_t>(data.pages[i].pszTemplate) == dialogId)
            return create(data.pages[i]);
    return nullptr;
}

std::wstring ItemText(HWND dialog, int item)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, item, text, 64);
    return text;
}

}  // namespace

TEST_F(PageWindows, ListsHoldTheModelsChoicesWithTheCurrentOneSelected)
{
    SetValue(266, 4);
    SetValue(268, 1);
    SetValue(279, 0);
    SetString(261, "Glossy");
    SetValue(258, 2);
    Build(3 | 4);
    const struct {
        uint16_t page;
        int item;
        int selected;
        std::vector<std::pair<int, std::wstring>> includes;
    } cases[] = {
        {2000, 2015, 1, {{1, L"Letter"}, {23, L"A4"}, {8, L"Envelope #10"}}},
        {2000, 11584, 2, {{1, L"Tray 1"}, {2, L"Tray 2"}}},  // the installed trays, as the bin query gives them
        {3000, 3015, 4, {{1, L"1 Page per Sheet"}, {4, L"4 Pages per Sheet"}, {16, L"16 Pages per Sheet"}}},
        {3000, 3041, 1, {{0, L"Right, then Down"}, {3, L"Down, then Left"}}},
        {3000, 3025, 0, {{0, L"Off"}, {2, L"Right Edge Binding"}}},
        {2000, 11582, 13, {{0, L"Plain"}, {6, L"Bond"}, {13, L"Glossy"}}},  // the named media types, by place
        {6000, 6011, -1, {{0, L"(none)"}}},  // the watermarks by name; no setting holds the choice
        // The model bundle whose device settings the settings hold (duplex unit, tray 1).
        {7000, 7013, 2, {{1, L"QZColourLaser"}, {2, L"QZColourLaser dn"}, {3, L"QZColourLaser dtn"}}},
        // Tray 1's form and media type: none yet; the spooler's forms and the types by code.
        {12000, 12006, 0, {{0, L"(none)"}, {23, L"A4"}, {40, L"B5 (JIS)"}}},
        {12000, 12008, 11913, {{11913, L"(none)"}, {89, L"Plain"}, {94, L"Transparency"}}},
    };
    for (const auto& row : cases) {
        HWND page = PageWindow(*this, pages, data, row.page, [&](QZPageEntry& entry) { return Create(entry); });
        ASSERT_NE(nullptr, page) << row.page;
        const auto choices = ListChoices(page, row.item);
        for (const auto& wanted : row.includes)
            EXPECT_NE(choices.end(), std::find(choices.begin(), choices.end(), wanted))
                << row.item << " lacks " << wanted.first;
        const LRESULT at = SendDlgItemMessageW(page, row.item, CB_GETCURSEL, 0, 0);
        EXPECT_EQ(row.selected, at < 0 ? -1 : int(SendDlgItemMessageW(page, row.item, CB_GETITEMDATA, WPARAM(at), 0)))
            << row.item;
        EXPECT_EQ(row.selected != -1, IsWindowEnabled(GetDlgItem(page, row.item)) != FALSE)
            << row.item << ": a list whose feature the settings lack is disabled";
        if (row.item == 11582) {
            // A media type is kept as its name.
            SendDlgItemMessageW(page, row.item, CB_SETCURSEL, 1, 0);
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(row.item, CBN_SELCHANGE), 0);
            EXPECT_EQ("Preprinted", String(261));
        }
        if (row.item == 7013) {
            // A bundle is taken as the device settings it stands for: no duplex unit.
            SendDlgItemMessageW(page, row.item, CB_SETCURSEL, 0, 0);
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(row.item, CBN_SELCHANGE), 0);
            EXPECT_EQ(0, Value(308));
            EXPECT_EQ(1, Value(974));
        }
    }
}

// A device selected in an optional devices list is installed: its own switch (the
// envelope feeder) or its name in the settings; taken out, a name gives way to the
// printer model's own value.
TEST_F(PageWindows, OptionalDevicesAreInstalledBySelection)
{
    Build(4);
    const struct {
        int item;
        const wchar_t* device;
        uint16_t feature;
        const char* installed;
        const char* removed;
    } cases[] = {
        {7037, L"Tray 3", 315, "Tray 3", ""},
        {7037, L"Envelope Feeder", 275, "1", "0"},
        {7033, L"W1908", 316, "W1908", "Colour Laser"},
    };
    HWND page = PageWindow(*this, pages, data, 7000, [&](QZPageEntry& entry) { return Create(entry); });
    ASSERT_NE(nullptr, page);
    for (const auto& row : cases) {
        HWND list = GetDlgItem(page, row.item);
        const LRESULT at = SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(row.device));
        ASSERT_GE(at, 0) << row.installed;
        EXPECT_EQ(0, SendMessageW(list, LB_GETSEL, WPARAM(at), 0)) << row.installed << ": not installed at first";
        for (bool selected : {true, false}) {
            SendMessageW(list, LB_SETSEL, selected, LPARAM(at));
            SendMessageW(page, WM_COMMAND, MAKEWPARAM(row.item, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
            const std::string held = row.feature == 275 ? std::to_string(Value(275)) : String(row.feature);
            EXPECT_EQ(selected ? row.installed : row.removed, held);
            EXPECT_EQ(selected ? 1 : 0, SendMessageW(list, LB_GETSEL, WPARAM(at), 0)) << row.installed;
        }
    }
}

// Tray 3 installed and removed again, as the Configure page writes it (the test above):
// the Paper page's source list follows the sheet's settings whatever the model last took
// in, and with the device settings stored as the device sheet's OK stores them the bin
// queries answer the same trays.
TEST_F(PageWindows, TheSourceListAndTheBinQueriesFollowTrayThreeInAndOut)
{
    std::unique_ptr<GObjectBase> stored(ui->LoadSettingsTree(FeatureId::kDeviceSettings));
    ASSERT_NE(nullptr, stored);
    Build(3);
    HWND paper = PageWindow(*this, pages, data, 2000, [&](QZPageEntry& entry) { return Create(entry); });
    ASSERT_NE(nullptr, paper);
    const struct {
        const char* model;
        std::vector<WORD> bins;
        std::vector<std::wstring> names;
    } rows[] = {
        {"Tray 3", {257, 258, 259}, {L"Tray 1", L"Tray 2", L"Tray 3"}},
        {"", {257, 258}, {L"Tray 1", L"Tray 2"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.model);
        SetString(FeatureId::kOptionalSourcesModel, row.model);
        SendMessageW(paper, kShowSettingsMessage, 0, 0);
        std::vector<std::wstring> sources;
        for (const auto& choice : ListChoices(paper, 11584))
            sources.push_back(choice.second);
        EXPECT_EQ(row.names, sources);

        std::unique_ptr<GObjectBase> device(Root()->FindById(FeatureId::kDeviceSettings)->DeepCopy());
        ASSERT_EQ(1, ui->SaveSettingsTree(device.get()));
        ui->SetStateWord(-1);
        ASSERT_EQ(row.bins.size(), ui->DeviceCapabilities(nullptr, nullptr, DC_BINS, nullptr, nullptr));
        std::vector<WORD> bins(row.bins.size());
        ui->DeviceCapabilities(nullptr, nullptr, DC_BINS, bins.data(), nullptr);
        EXPECT_EQ(row.bins, bins);
        std::vector<wchar_t> slots(bins.size() * 24);
        ui->DeviceCapabilities(nullptr, nullptr, DC_BINNAMES, slots.data(), nullptr);
        std::vector<std::wstring> names;
        for (size_t i = 0; i < bins.size(); ++i) {
            const std::wstring name(&slots[i * 24]);
            names.push_back(!name.empty() && name[0] == L' ' ? name.substr(1) : name);
        }
        EXPECT_EQ(row.names, names);
    }
    ui->SaveSettingsTree(stored.get());
    ui->SetStateWord(-1);
}

TEST_F(PageWindows, ButtonsThatOpenNothingAndItemsNoControlDrivesAreDisabled)
{
    Build(3 | 4);
    const struct {
        uint16_t page;
        int item;
        bool enabled;
    } cases[] = {
        {1000, 1050, true},   // About
        {2000, 2016, true},   // Custom paper size
        {6000, 6013, false},  // Watermark details: none of its settings is there to edit
        {7000, 7049, true},   // More configuration options
        {3000, 3034, false},  // Details: the test model keeps no writer where the page looks
        {1000, 1012, false},  // quick sets are not kept
        {7000, 7052, false},  // Update Now
        {12000, 12009, true},   // Clear All: the printer has trays to clear
        {6000, 6024, false},  // the fit-to paper list: no control writes it
        {3000, 3019, false},  // page borders: no feature holds them
        {14000, 14004, false},  // Color Settings: none of its settings is there to show
    };
    for (const auto& row : cases) {
        HWND page = PageWindow(*this, pages, data, row.page, [&](QZPageEntry& entry) { return Create(entry); });
        ASSERT_NE(nullptr, page) << row.page;
        EXPECT_EQ(row.enabled, IsWindowEnabled(GetDlgItem(page, row.item)) != FALSE) << row.item;
    }
    // The same inside a sub-dialog: the font cards' Add opens a card with nothing to fill.
    const struct {
        uint16_t dialog;
        int item;
        int enabled;
    } inDialogs[] = {{7100, 7110, 0}};
    for (const auto& row : inDialogs) {
        GModalDialog* dialog = SubDialogById(row.dialog);
        ASSERT_NE(nullptr, dialog) << row.dialog;
        int enabled = -1;
        ActivationHook hook([&](HWND window) {
            enabled = IsWindowEnabled(GetDlgItem(window, row.item)) ? 1 : 0;
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(IDCANCEL, dialog->Run(owner, 0));
        EXPECT_EQ(row.enabled, enabled) << row.item;
    }
}

// Font Card(s) says whether the printer has font cards; while it has, cards can be
// configured and Configure... opens Configure Font Cards. A printer without the setting
// offers neither.
TEST_F(PageWindows, FontCardsCanBeConfiguredWhileThePrinterHasThem)
{
    const struct {
        const char* what;
        int cards;  // -1: the settings lack font cards
        bool box, configure;
    } rows[] = {
        {"no font-card setting", -1, false, false},
        {"no font cards", 0, true, false},
        {"font cards", 1, true, true},
    };
    for (const auto& row : rows) {
        delete Node(365)->RemoveById(FeatureId::kFontCards);
        if (row.cards >= 0)
            SetValue(FeatureId::kFontCards, uint16_t(row.cards));
        Build(3 | 4);
        GModalDialog* more = SubDialogById(7500);
        ASSERT_NE(nullptr, more) << row.what;
        int box = -1, configure = -1, opened = 0, turnedOn = -1;
        ActivationHook hook([&](HWND dialog) {
            wchar_t caption[64] = {};
            GetWindowTextW(dialog, caption, 64);
            if (std::wstring(caption) == L"Configure Font Cards") {
                ++opened;
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            // Once: it is activated again when what it opened closes.
            if (box >= 0)
                return;
            box = IsWindowEnabled(GetDlgItem(dialog, 7047)) ? 1 : 0;
            configure = IsWindowEnabled(GetDlgItem(dialog, 7048)) ? 1 : 0;
            SendDlgItemMessageW(dialog, 7048, BM_CLICK, 0, 0);
            if (box == 1 && row.cards == 0) {
                // Checking the box offers Configure...
                SendDlgItemMessageW(dialog, 7047, BM_CLICK, 0, 0);
                turnedOn = IsWindowEnabled(GetDlgItem(dialog, 7048)) ? 1 : 0;
            }
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(IDCANCEL, more->Run(owner, 0)) << row.what;
        EXPECT_EQ(row.box ? 1 : 0, box) << row.what;
        EXPECT_EQ(row.configure ? 1 : 0, configure) << row.what;
        EXPECT_EQ(row.configure ? 1 : 0, opened) << row.what << ": Configure Font Cards opened";
        EXPECT_EQ(row.cards == 0 ? 1 : -1, turnedOn) << row.what;
        Unbuild();
    }
    delete Node(365)->RemoveById(FeatureId::kFontCards);
}

TEST_F(PageWindows, TheCustomSizeShowsInchesOrMillimetresAndKeepsTheDevicesLimits)
{
    Build(3);
    GModalDialog* custom = SubDialogById(8000);
    ASSERT_NE(nullptr, custom);
    // Width 2159 and length 2794 tenths of a millimetre; the limits are 3 x 5 to
    // 8.5 x 14 inches.
    std::vector<std::wstring> shown;
    bool done = false;
    ActivationHook hook([&](HWND dialog) {
        if (done)
            return;
        done = true;
        shown.push_back(ItemText(dialog, 11411));
        shown.push_back(ItemText(dialog, 11421));
        SendDlgItemMessageW(dialog, 2052, BM_CLICK, 0, 0);
        shown.push_back(ItemText(dialog, 11411));
        shown.push_back(ItemText(dialog, 11413));
        SetDlgItemTextW(dialog, 11411, L"100");
        shown.push_back(std::to_wstring(Value(1260)));
        SetDlgItemTextW(dialog, 11421, L"10");
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(11421, EN_KILLFOCUS), 0);
        shown.push_back(ItemText(dialog, 11421));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, custom->Run(owner, 0));
    const std::vector<std::wstring> expected = {L"8.50", L"11.00", L"215.9", L"76.2 to 215.9", L"1000", L"127.0"};
    EXPECT_EQ(expected, shown);
    EXPECT_EQ(1000, Value(1260));
    EXPECT_EQ(1270, Value(1261)) << "below the smallest paper the length keeps the smallest";
}

// A size shown rounded reads back as a neighbour (1000 and 2000 tenths of a millimetre
// show as 3.94 and 7.87 inches, which stand for 1001 and 1999): fields shown and left
// untyped, or confirmed with the caret in them, keep the size held, in either unit.
TEST_F(PageWindows, TheCustomSizeLeftUntypedKeepsTheSizeHeld)
{
    Build(3);
    GModalDialog* custom = SubDialogById(8000);
    ASSERT_NE(nullptr, custom);
    const struct {
        bool millimetres;
        const wchar_t* width;
        const wchar_t* length;
    } rows[] = {{false, L"3.94", L"7.87"}, {true, L"100.0", L"200.0"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.millimetres ? "millimetres" : "inches");
        SetValue(1260, 1000);
        SetValue(1261, 2000);
        std::wstring width, length;
        bool done = false;
        ActivationHook hook([&](HWND dialog) {
            if (done)
                return;
            done = true;
            if (row.millimetres)
                SendDlgItemMessageW(dialog, 2052, BM_CLICK, 0, 0);
            // The width is entered and left, the length entered and confirmed.
            SetFocus(GetDlgItem(dialog, 11411));
            SetFocus(GetDlgItem(dialog, 11421));
            width = ItemText(dialog, 11411);
            length = ItemText(dialog, 11421);
            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        });
        EXPECT_EQ(IDOK, custom->Run(owner, 0));
        EXPECT_EQ(row.width, width);
        EXPECT_EQ(row.length, length);
        EXPECT_EQ(1000, Value(1260));
        EXPECT_EQ(2000, Value(1261));
    }
}

TEST_F(PageWindows, TheAboutBoxListsThePrinterTheDriverAndNoExtension)
{
    Build(3);
    std::wstring printerName = printer.Name(), driverName = printer.DriverName();
    data.printerName = &printerName[0];
    data.driverName = &driverName[0];
    std::wstring lines;
    ActivationHook hook([&](HWND dialog) {
        wchar_t text[512] = {};
        GetDlgItemTextW(dialog, GAboutFeature::kExtensionsItem, text, 512);
        lines = text;
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
    GAboutFeature about(data.sheetContext);
    EXPECT_EQ(IDOK, about.Show(owner));
    EXPECT_EQ(0u, lines.find(L"Printer: " + printerName + L"\r\nDriver: " + driverName + L"\r\n"));
    EXPECT_NE(std::wstring::npos, lines.find(L"No extensions are registered.")) << "the test printer has none";
    data.printerName = data.driverName = nullptr;
}

TEST_F(PageWindows, RadioButtonsWriteTheirValuesAndADialogWithNothingToConfirmOffersNoOk)
{
    SetValue(520, 1);
    SetValue(287, 0);
    Build(3 | 4);
    HWND storage = PageWindow(*this, pages, data, 15000, [&](QZPageEntry& entry) { return Create(entry); });
    ASSERT_NE(nullptr, storage);
    for (const auto& row : {std::make_pair(18005, 4), std::make_pair(18006, 1), std::make_pair(18004, 2)}) {
        SendDlgItemMessageW(storage, row.first, BM_CLICK, 0, 0);
        EXPECT_EQ(row.second, Value(287)) << row.first << ": the button's value, not its place";
    }
    GModalDialog* addFontCard = SubDialogById(7200);
    ASSERT_NE(nullptr, addFontCard);
    int ok = -1;
    ActivationHook hook([&](HWND dialog) {
        ok = IsWindowEnabled(GetDlgItem(dialog, IDOK)) ? 1 : 0;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, addFontCard->Run(owner, 0));
    EXPECT_EQ(0, ok) << "Add Font Card's fields are disabled: its OK confirms nothing";
}

namespace {

// A dialog procedure that only lets the template be shown.
INT_PTR CALLBACK TemplateOnly(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The items of the window whose text does not fit it at the dialog's font: a label wraps
// within its height, a button's text stays on one line beside its box.
std::vector<int> ClippedItems(HWND dialog)
{
    std::vector<int> clipped;
    for (HWND item = GetWindow(dialog, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        wchar_t text[256] = {}, name[32] = {};
        GetClassNameW(item, name, 32);
        if (!GetWindowTextW(item, text, 256) || !(GetWindowLongW(item, GWL_STYLE) & WS_VISIBLE))
            continue;
        const LONG style = GetWindowLongW(item, GWL_STYLE);
        const bool button = _wcsicmp(name, L"Button") == 0, label = _wcsicmp(name, L"Static") == 0;
        if (!button && !label)
            continue;
        RECT client = {};
        GetClientRect(item, &client);
        HDC dc = GetDC(item);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(item, WM_GETFONT, 0, 0)));
        const LONG kind = style & BS_TYPEMASK;
        const bool box = button && kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON && kind != BS_GROUPBOX;
        const bool wraps = label || (style & BS_MULTILINE);
        // A check box's text starts beside its box; a push button's and a group's keep a margin.
        const LONG margin = box ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : button ? 8 : 0;
        RECT need = {0, 0, client.right - margin, 0};
        DrawTextW(dc, text, -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(item, dc);
        if (need.right > client.right - margin || (wraps && need.bottom > client.bottom))
            clipped.push_back(GetDlgCtrlID(item));
    }
    return clipped;
}

}  // namespace

TEST_F(PageWindows, EverySheetsTextsFitTheirControlsAtTheDefaultFont)
{
    Build(3);
    HMODULE library = ResourceLibrary::GetResourceLibrary();
    ASSERT_NE(nullptr, library);
    // The document sheet's pages and dialogs, then the device sheet's.
    for (uint16_t id : {1000, 2000, 3000, 6000, 14000, 15000, 16000, 5000, 8000, 9000, 13001, 14501, 12000, 7000,
                        7100, 7200, 7300, 7400, 7500, 11510, 11540}) {
        HWND dialog = CreateDialogParamW(library, MAKEINTRESOURCEW(id), owner, &TemplateOnly, 0);
        ASSERT_NE(nullptr, dialog) << id;
        std::string named;
        for (int item : ClippedItems(dialog))
            named += std::to_string(item) + " ";
        EXPECT_EQ("", named) << "dialog " << id;
        DestroyWindow(dialog);
    }
}

// The line that tells why nothing will be stored covers none of the page's items.
bool CoversAnItem(HWND page, HWND line)
{
    RECT placed = {};
    GetWindowRect(line, &placed);
    for (HWND item = GetWindow(page, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
        RECT bounds = {}, common = {};
        GetWindowRect(item, &bounds);
        if (item != line && IntersectRect(&common, &placed, &bounds))
            return true;
    }
    return false;
}

// With the device settings unreadable the Configure page shows what applications are
// told: the factory's model and its duplex unit, as DC_DUPLEX answers.
TEST_F(PageWindows, TheConfigurePageOfAnUnreadableStoreShowsWhatApplicationsAreTold)
{
    const std::wstring path = printer.RegistryKey() + L"\\PrinterDriverData";
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key));
    std::vector<uint8_t> chunk(1 << 12);
    DWORD size = DWORD(chunk.size()), type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"365:0", nullptr, &type, chunk.data(), &size));
    chunk.resize(size);
    // The first chunk cut in half: what follows it no longer lines up.
    RegSetValueExW(key, L"365:0", 0, REG_BINARY, chunk.data(), size / 2);
    ui->DestroyUIContext(record);
    record = ui->CreateUIContext();
    const DWORD twoSided = DeviceCapabilitiesW(printer.Name().c_str(), L"FILE:", DC_DUPLEX, nullptr, nullptr);
    RegSetValueExW(key, L"365:0", 0, REG_BINARY, chunk.data(), size);
    RegCloseKey(key);
    ASSERT_NE(nullptr, record);
    data.settings = record->settings;
    data.request = record;
    data.modeFlags = kModeStoringOff;
    Build(4);
    HWND configure = nullptr;
    for (uint16_t i = 0; i < data.pageCount; ++i)
        if (data.pages[i].pszTemplate == MAKEINTRESOURCEW(7000))
            configure = Create(data.pages[i]);
    ASSERT_NE(nullptr, configure);
    EXPECT_EQ(1u, twoSided);
    EXPECT_EQ(BST_CHECKED, SendDlgItemMessageW(configure, 7026, BM_GETCHECK, 0, 0)) << "the duplex unit";
    EXPECT_NE(CB_ERR, SendDlgItemMessageW(configure, 7013, CB_GETCURSEL, 0, 0)) << "the model";
}

// A sheet that stores nothing says so on every page, and a device page says what is true
// for this user, in a line of text that covers no item; nothing on those device pages can
// change: every item but About is disabled. The document pages stay as they are: the
// user's document choices still go back to the caller. The flags are those the device
// sheet sets: the stores readable or not (and then replaceable), the user with rights or
// without (the header's no-permission, or no full access to the printer); and the
// document sheet's of the user's own watermarks that do not read, named on its pages only.
TEST_F(PageWindows, ASheetThatStoresNothingSaysSoOnEveryPageAndItsDevicePagesChangeNothing)
{
    const wchar_t* const kStoringOff = L"The printer's settings cannot be read. Changes to them will not be saved.";
    const wchar_t* const kNoPermission =
        L"You may not change this printer's settings. Changes to them will not be saved.";
    const wchar_t* const kAskAdministrator = L"Some of the printer's settings cannot be read, so this sheet shows the "
                                             L"factory settings for them. An administrator can restore them.";
    const wchar_t* const kOwnWatermarks = L"Your own watermarks cannot be read. OK offers to replace them; your "
                                          L"other settings are kept.";
    const struct {
        const char* what;
        uint32_t modeFlags;
        const wchar_t* text;        // null: no line
        bool onDocumentPages;
        const wchar_t* deviceText;  // null: the text
        bool onDevicePages = true;
    } rows[] = {
        {"readable", 0, nullptr, false, nullptr},
        {"readable, no rights", kModeNoPermission, kNoPermission, false, nullptr},
        {"unreadable, with rights", kModeStoringOff | kModeReplaceable | kModeMayReplace, kStoringOff, true,
         L"Some of the printer's settings cannot be read. Press OK to replace those with the factory settings; the "
         L"rest are kept."},
        {"unreadable, no rights", kModeNoPermission | kModeStoringOff | kModeReplaceable, kStoringOff, true,
         kAskAdministrator},
        {"unreadable, no full access", kModeStoringOff | kModeReplaceable, kStoringOff, true, kAskAdministrator},
        {"storing off, the stores not replaceable", kModeStoringOff, kStoringOff, true, nullptr},
        {"storing off, the stores not replaceable, no rights", kModeNoPermission | kModeStoringOff, kStoringOff, true,
         nullptr},
        // Only a document sheet stores the user's own watermarks, and says when they do not read.
        {"the user's own watermarks unreadable", kModeOwnWatermarksUnreadable, kOwnWatermarks, true, nullptr, false},
        {"the user's own watermarks unreadable, no rights", kModeNoPermission | kModeOwnWatermarksUnreadable,
         kOwnWatermarks, true, kNoPermission},
    };
    for (const auto& row : rows) {
        data.modeFlags = row.modeFlags;
        Build(3 | 4);
        for (uint16_t i = 0; i < data.pageCount; ++i) {
            QZPageEntry& entry = data.pages[i];
            if (!entry.pszTemplate)
                continue;
            const uint16_t dialogId = uint16_t(reinterpret_cast<uintptr_t>(entry.pszTemplate));
            const std::string at = std::string(row.what) + ", page " + std::to_string(dialogId);
            HWND page = Create(entry);
            ASSERT_NE(nullptr, page) << at;
            const bool devicePage = dialogId == 12000 || dialogId == 7000;
            HWND line = GetDlgItem(page, GPropertyPage::kStoringOffLine);
            const bool lined = row.text && (devicePage ? row.onDevicePages : row.onDocumentPages);
            ASSERT_EQ(lined, line != nullptr) << at;
            if (line) {
                wchar_t text[256] = {};
                GetWindowTextW(line, text, 256);
                EXPECT_STREQ(devicePage && row.deviceText ? row.deviceText : row.text, text) << at;
                EXPECT_NE(0, GetWindowLongW(line, GWL_STYLE) & WS_VISIBLE) << at;
                EXPECT_FALSE(CoversAnItem(page, line)) << at;
            }
            int enabled = 0;
            for (HWND item = GetWindow(page, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT))
                if (IsWindowEnabled(item) && GetDlgCtrlID(item) != GPropertyPage::kStoringOffLine &&
                    GetDlgCtrlID(item) != PageBuilders::kAboutItem)
                    ++enabled;
            if (devicePage && lined) {
                EXPECT_EQ(0, enabled) << at << ": nothing changes";
                EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, PageBuilders::kAboutItem))) << at;
                // A control that enables its items again as it refreshes leaves them disabled.
                SendMessageW(page, WM_COMMAND, MAKEWPARAM(0, 0), 0);
                for (HWND item = GetWindow(page, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
                    const int id = GetDlgCtrlID(item);
                    const bool open = IsWindowEnabled(item) && id != PageBuilders::kAboutItem &&
                                      id != GPropertyPage::kStoringOffLine;
                    EXPECT_FALSE(open) << at << ": " << id;
                }
            } else {
                EXPECT_LT(0, enabled) << at << ": its choices stay open";
            }
        }
        Unbuild();
    }
}

namespace {

// What a page shows of the sheet's flags: its line's text ("" for none) and the items open
// to the user.
std::pair<std::wstring, std::vector<int>> StoringOffShown(HWND page)
{
    std::pair<std::wstring, std::vector<int>> shown;
    if (HWND line = GetDlgItem(page, GPropertyPage::kStoringOffLine)) {
        wchar_t text[256] = {};
        GetWindowTextW(line, text, 256);
        shown.first = text;
    }
    for (HWND item = GetWindow(page, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT))
        if (IsWindowEnabled(item) && GetDlgCtrlID(item) != GPropertyPage::kStoringOffLine)
            shown.second.push_back(GetDlgCtrlID(item));
    return shown;
}

} // namespace

// The sheet's flags change while its device pages show (the stores read again, say):
// each page's line and items follow, as a page opened with the new flags shows them.
TEST_F(PageWindows, ADevicePageFollowsTheSheetsFlagsWhenTheyChange)
{
    const struct {
        const char* what;
        uint32_t from, to;
    } rows[] = {
        {"storing comes on", kModeStoringOff | kModeReplaceable | kModeMayReplace, 0},
        {"storing goes off", 0, kModeStoringOff},
    };
    for (const auto& row : rows) {
        std::pair<std::wstring, std::vector<int>> expected, followed;
        for (const bool changed : {false, true}) {
            data.modeFlags = changed ? row.from : row.to;
            Build(4);
            for (uint16_t i = 0; i < data.pageCount; ++i) {
                if (data.pages[i].pszTemplate != MAKEINTRESOURCEW(7000))
                    continue;
                HWND page = Create(data.pages[i]);
                ASSERT_NE(nullptr, page) << row.what;
                if (changed)
                    SendMessageW(page, kModeFlagsChangedMessage, WPARAM(row.to), 0);
                (changed ? followed : expected) = StoringOffShown(page);
            }
            Unbuild();
        }
        EXPECT_FALSE(expected.second.empty()) << row.what;
        EXPECT_EQ(expected.first, followed.first) << row.what;
        EXPECT_EQ(expected.second, followed.second) << row.what;
    }
}
