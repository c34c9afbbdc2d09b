// The document sheet's controls as a user meets them (xvfb-run): the platform's
// DocumentPropertiesW opens the installed printer's sheet with a DEVMODE of landscape, A4,
// tray 2, 3 copies, scale 50 and two-sided printing; each control must show the value the
// settings took from it,
// a choice must write the feature's own value (read back through the module's settings
// behind the page) and light the sheet's Apply button.
#include "TestPrinter.h"
#include "entry/sheet/GUIData.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GFormToTrayDatabase.h"
#include "ui/framework/GPropertyPage.h"
#include "ui/framework/GSheetContext.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

enum ControlKind { kRadio, kCheck, kList, kNumber };

// One control: the page (template) and item it sits on, the value it must show for the
// input DEVMODE (a radio group's or check box's checked state, a list's selected value,
// an edit field's number), the choice the test makes (the button clicked, the list value
// chosen, the number typed) and the value the feature must then hold.
struct ControlCase {
    const char* name;
    uint16_t page;
    int item;
    ControlKind kind;
    int shown;
    int choice;
    uint16_t feature;
    int written;
};

const ControlCase kCases[] = {
    {"orientation: Landscape checked, Portrait writes 0 degrees", 1000, 1032, kRadio, 1, 1031, 265, 0},
    {"orientation: Landscape writes 90 degrees", 1000, 1031, kRadio, 1, 1032, 265, 90},
    {"orientation: rotating a landscape page writes 270 degrees", 1000, 1033, kCheck, 0, 1033, 265, 270},
    {"paper size: A4 selected, Letter writes its code", 2000, 2015, kList, 23, 1, 260, 1},
    {"paper source: tray 2 selected, tray 1 writes its id", 2000, 11584, kList, 2, 1, 258, 1},
    {"copies: 3 shown, 5 typed", 1000, 1021, kNumber, 3, 5, 291, 5},
    {"copies: above the range keeps the largest", 1000, 1021, kNumber, 5, 5000, 291, 999},
    // dmScale is none of the DEVMODE fields the settings take (the private part carries
    // the scale): the field shows the settings' 100.
    {"scale: 100 shown, 75 typed", 6000, 6021, kNumber, 100, 75, 269, 75},
    {"two-sided: checked, a click writes off", 3000, 3011, kCheck, 1, 3011, 253, 0},
};

// What the sheet showed and what each choice wrote, noted while the sheet is open.
struct Seen {
    bool found = false;           // the page and item exist
    bool present = false;         // the module's settings hold the feature and can take the value
    int shown = -1;
    int written = -1;
    bool applyBefore = true;      // Apply enabled before the choice
    bool applyAfter = false;      // and after it
};

// The page object behind a page window of the module: the page entry the page procedure
// keeps, its link, and the page the builder attached.
GPropertyPage* PageObject(HWND page)
{
    auto* entry = reinterpret_cast<QZPageEntry*>(GetWindowLongPtrW(page, DWLP_USER));
    auto* link = entry ? reinterpret_cast<PageLink*>(entry->lParam) : nullptr;
    return link && link->size == sizeof(PageLink) ? link->page : nullptr;
}

// The page window of the template, selected so that it exists; null when none.
HWND SelectPage(HWND sheet, uint16_t dialogId)
{
    auto tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
    const int count = tab ? int(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        SendMessageW(sheet, PSM_SETCURSEL, WPARAM(i), 0);
        auto page = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_INDEXTOHWND, WPARAM(i), 0));
        GPropertyPage* object = page ? PageObject(page) : nullptr;
        if (object && object->GetDialogId() == dialogId)
            return page;
    }
    return nullptr;
}

int ListValue(HWND page, int item)
{
    const LRESULT at = SendDlgItemMessageW(page, item, CB_GETCURSEL, 0, 0);
    return at < 0 ? -1 : int(SendDlgItemMessageW(page, item, CB_GETITEMDATA, WPARAM(at), 0));
}

int Shown(HWND page, const ControlCase& row)
{
    switch (row.kind) {
    case kRadio:
    case kCheck:
        return IsDlgButtonChecked(page, row.item) == BST_CHECKED ? 1 : 0;
    case kList:
        return ListValue(page, row.item);
    case kNumber: {
        BOOL ok = FALSE;
        const int value = int(GetDlgItemInt(page, row.item, &ok, TRUE));
        return ok ? value : -1;
    }
    }
    return -1;
}

void Choose(HWND page, const ControlCase& row)
{
    switch (row.kind) {
    case kRadio:
    case kCheck:
        SendDlgItemMessageW(page, row.choice, BM_CLICK, 0, 0);
        break;
    case kList: {
        const LRESULT count = SendDlgItemMessageW(page, row.item, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i)
            if (SendDlgItemMessageW(page, row.item, CB_GETITEMDATA, WPARAM(i), 0) == row.choice) {
                SendDlgItemMessageW(page, row.item, CB_SETCURSEL, WPARAM(i), 0);
                SendMessageW(page, WM_COMMAND, MAKEWPARAM(row.item, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(GetDlgItem(page, row.item)));
            }
        break;
    }
    case kNumber:
        SetDlgItemInt(page, row.item, UINT(row.choice), TRUE);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(row.item, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(GetDlgItem(page, row.item)));
        break;
    }
}

// Runs one sheet session inside the sheet's own message loop: a posted message to the
// sheet, seen by a message hook of this thread, does the sheet's work once it first shows;
// a modal dialog the sheet opens gets the dialog's work the same way.
class SessionDriver {
public:
    using Work = std::function<void(HWND)>;
    SessionDriver(Work onSheet, Work onDialog) : onSheet_(std::move(onSheet)), onDialog_(std::move(onDialog))
    {
        current_ = this;
        activation_ = SetWindowsHookExW(WH_CBT, &SessionDriver::Activation, nullptr, GetCurrentThreadId());
        messages_ = SetWindowsHookExW(WH_GETMESSAGE, &SessionDriver::Message, nullptr, GetCurrentThreadId());
    }
    ~SessionDriver()
    {
        UnhookWindowsHookEx(activation_);
        UnhookWindowsHookEx(messages_);
        current_ = nullptr;
    }
    bool Set() const { return activation_ && messages_; }
    bool sheetShown = false;

private:
    static constexpr UINT kSheetWork = WM_APP + 61, kDialogWork = WM_APP + 62;

    static LRESULT CALLBACK Activation(int code, WPARAM wParam, LPARAM lParam)
    {
        auto window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && current_) {
            if (SendMessageW(window, PSM_GETTABCONTROL, 0, 0)) {
                // Activated again when a dialog over it closes: its work is done once.
                if (!current_->sheetShown)
                    PostMessageW(window, kSheetWork, 0, 0);
                current_->sheetShown = true;
            } else {
                PostMessageW(window, kDialogWork, 0, 0);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK Message(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && current_ &&
            (message->message == kSheetWork || message->message == kDialogWork)) {
            const Work& work = message->message == kSheetWork ? current_->onSheet_ : current_->onDialog_;
            message->message = WM_NULL;
            if (work)
                work(message->hwnd);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static SessionDriver* current_;
    Work onSheet_, onDialog_;
    HHOOK activation_ = nullptr;
    HHOOK messages_ = nullptr;
};
SessionDriver* SessionDriver::current_ = nullptr;

// Runs the cases on the open sheet, then closes it.
void RunCases(HWND sheet, std::vector<Seen>& seenAll)
{
    HWND apply = GetDlgItem(sheet, 0x3021);  // the sheet's Apply button
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const ControlCase& row = kCases[i];
        Seen& seen = seenAll[i];
        HWND page = SelectPage(sheet, row.page);
        GPropertyPage* object = page ? PageObject(page) : nullptr;
        seen.found = object && GetDlgItem(page, row.item) && object->GetContext();
        if (!seen.found)
            continue;
        GSettingsView& settings = object->GetContext()->GetSettings();
        uint16_t value = 0;
        int32_t minimum = 0, maximum = 0;
        seen.present = settings.GetValue(row.feature, value) != 0 &&
                       (!settings.GetBounds(row.feature, minimum, maximum) ||
                        (minimum <= row.written && row.written <= maximum));
        seen.shown = Shown(page, row);
        SendMessageW(sheet, PSM_UNCHANGED, WPARAM(page), 0);
        seen.applyBefore = IsWindowEnabled(apply) != FALSE;
        Choose(page, row);
        seen.applyAfter = IsWindowEnabled(apply) != FALSE;
        if (settings.GetValue(row.feature, value))
            seen.written = value;
        SendMessageW(sheet, PSM_UNCHANGED, WPARAM(page), 0);
    }
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

// The printer's default DEVMODE from the module, with the public fields of the cases.
std::vector<uint8_t> InputDevMode(HANDLE printer, std::wstring& name)
{
    const LONG size = DocumentPropertiesW(nullptr, printer, &name[0], nullptr, nullptr, 0);
    std::vector<uint8_t> bytes(size > 0 ? size_t(size) : 0, 0);
    if (bytes.empty() ||
        DocumentPropertiesW(nullptr, printer, &name[0], reinterpret_cast<DEVMODEW*>(bytes.data()), nullptr,
                            DM_OUT_BUFFER) != IDOK)
        return {};
    auto* devMode = reinterpret_cast<DEVMODEW*>(bytes.data());
    devMode->dmOrientation = DMORIENT_LANDSCAPE;
    devMode->dmPaperSize = DMPAPER_A4;
    devMode->dmDefaultSource = 258;  // tray 2 in the printer's tray map
    devMode->dmCopies = 3;
    devMode->dmScale = 50;
    devMode->dmDuplex = DMDUP_VERTICAL;  // two-sided along the long edge of a landscape page
    devMode->dmFields |= DM_ORIENTATION | DM_PAPERSIZE | DM_DEFAULTSOURCE | DM_COPIES | DM_SCALE | DM_DUPLEX;
    return bytes;
}

TEST(SheetControls, ShowTheInputDevModeWriteTheFeaturesOwnValuesAndLightApply)
{
    const TestPrinter& printer = TestPrinter::Shared();
    ASSERT_TRUE(printer.Installed()) << printer.Failure();
    std::wstring name = printer.Name();
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
    std::vector<uint8_t> input = InputDevMode(handle, name);
    ASSERT_FALSE(input.empty());
    std::vector<uint8_t> output(input.size(), 0);
    std::vector<Seen> seen(std::size(kCases));
    {
        SessionDriver driver([&](HWND sheet) { RunCases(sheet, seen); }, nullptr);
        ASSERT_TRUE(driver.Set());
        DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()),
                            reinterpret_cast<DEVMODEW*>(input.data()), DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER);
        EXPECT_TRUE(driver.sheetShown);
    }
    ClosePrinter(handle);
    for (size_t i = 0; i < std::size(kCases); ++i) {
        const ControlCase& row = kCases[i];
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(seen[i].found) << "page " << row.page << " item " << row.item;
        // A printer model without the feature (or with one that cannot hold the value)
        // leaves the row unchecked; the row names it.
        if (!seen[i].present) {
            std::printf("note: the printer model lacks feature %u as this row needs it; row not checked: %s\n",
                        unsigned(row.feature), row.name);
            continue;
        }
        EXPECT_EQ(row.shown, seen[i].shown);
        EXPECT_EQ(row.written, seen[i].written);
        EXPECT_FALSE(seen[i].applyBefore) << "Apply is grey while no page has changed";
        EXPECT_TRUE(seen[i].applyAfter) << "a change lights Apply";
    }
}

// ---- The device sheet as a user works it: the installed module's own PrinterProperties
// (Wine's spooler has none), each choice confirmed with OK, then the sheet opened again,
// the capability queries and the document sheet's source list. ----

// Selects the list entry whose item data matches (in a list of several selections, adds
// it), as a click does: 1 when found.
bool PickListEntry(HWND page, int item, int data)
{
    HWND list = GetDlgItem(page, item);
    wchar_t name[64] = {};
    GetClassNameW(list, name, 64);
    const bool combo = std::wstring(name) == L"ComboBox";
    const LRESULT count = SendMessageW(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageW(list, combo ? CB_GETITEMDATA : LB_GETITEMDATA, WPARAM(i), 0) != data)
            continue;
        if (combo)
            SendMessageW(list, CB_SETCURSEL, WPARAM(i), 0);
        else if (GetWindowLongW(list, GWL_STYLE) & LBS_MULTIPLESEL)
            SendMessageW(list, LB_SETSEL, TRUE, LPARAM(i));
        else
            SendMessageW(list, LB_SETCURSEL, WPARAM(i), 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(item, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        return true;
    }
    return false;
}

// The place of Tray 3 in the Configure page's optional sources.
LRESULT Tray3(HWND configure)
{
    return SendDlgItemMessageW(configure, 7037, LB_FINDSTRINGEXACT, WPARAM(-1), reinterpret_cast<LPARAM>(L"Tray 3"));
}

// The entries of a list: item data and text.
std::vector<std::pair<int, std::wstring>> ListEntries(HWND page, int item)
{
    std::vector<std::pair<int, std::wstring>> entries;
    const LRESULT count = SendDlgItemMessageW(page, item, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        if (SendDlgItemMessageW(page, item, CB_GETLBTEXTLEN, WPARAM(i), 0) < 64)
            SendDlgItemMessageW(page, item, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(int(SendDlgItemMessageW(page, item, CB_GETITEMDATA, WPARAM(i), 0)), text);
    }
    return entries;
}

const uint16_t kNTForms = 12000, kConfigure = 7000;
const int kTrays = 12003, kForms = 12006, kTypes = 12008, kClearAll = 12009;
const int kDuplexUnit = 7026, kSources = 7037, kMore = 7049, kHardDisk = 7046, kJobStorage = 7061;
const uint16_t kA4 = 23, kTransparency = 94, kNoForm = 0, kUnspecified = 11913;

// One choice made on the device sheet and confirmed with OK, then what must hold: tray
// 2's row of the form-to-tray table as the reopened sheet reads it, whether Tray 3 and
// job storage show installed, and the bins, bin names and duplex answer (the bin names
// without the blank before each tray's name). The choices build on each other.
struct DeviceCase {
    const char* name;
    std::function<void(HWND sheet)> choose;
    bool moreOptions;  // the choice is made in the More Configuration Options dialog
    uint16_t form, type;
    bool tray3, jobStorage;
    std::vector<WORD> bins;
    std::vector<std::wstring> binNames;
    DWORD duplex;
};

// What the reopened sheets and the queries showed.
struct DeviceSeen {
    uint16_t form = 0xFFFF, type = 0xFFFF;  // as the settings hold it
    int shownForm = -1, shownType = -1;     // as the NT Forms page shows it for tray 2
    bool tray3 = false, tray3Setting = false, jobStorage = false, jobStorageSetting = false;
};

void ReadDeviceSheet(HWND sheet, DeviceSeen& seen)
{
    HWND forms = SelectPage(sheet, kNTForms);
    GPropertyPage* object = forms ? PageObject(forms) : nullptr;
    if (object && object->GetContext()) {
        GSettingsView& settings = object->GetContext()->GetSettings();
        GObjectBase* tree = settings.GetTree();
        if (auto* table = GDriverObject::Feature<GFormToTrayDatabase>(tree, FeatureId::kFormToTrayTable)) {
            seen.form = table->GetFirstValue(2);
            seen.type = table->GetSecondValue(2);
        }
        RWWString model;
        settings.GetStringW(FeatureId::kOptionalSourcesModel, model);
        seen.tray3Setting = model.CompareTo(RWWString(L"Tray 3")) == 0;
        uint16_t storage = 0;
        seen.jobStorageSetting = settings.GetValue(FeatureId::kJobStorageEnabled, storage) && storage == 1;
        if (PickListEntry(forms, kTrays, 2)) {
            seen.shownForm = ListValue(forms, kForms);
            seen.shownType = ListValue(forms, kTypes);
        }
    }
    if (HWND configure = SelectPage(sheet, kConfigure)) {
        seen.tray3 = SendDlgItemMessageW(configure, kSources, LB_GETSEL, WPARAM(Tray3(configure)), 0) > 0;
        SendDlgItemMessageW(configure, kMore, BM_CLICK, 0, 0);
    }
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

class DeviceSheetControls : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        name = printer.Name();
        ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
        module = LoadLibraryW(printer.ConfigFile().c_str());
        ASSERT_NE(nullptr, module);
        properties = reinterpret_cast<BOOL(WINAPI*)(HWND, HANDLE)>(
            reinterpret_cast<void*>(GetProcAddress(module, "PrinterProperties")));
        ASSERT_NE(nullptr, properties);
        stored = StoredDeviceSettings();
        ASSERT_FALSE(stored.empty());
    }
    void TearDown() override
    {
        // The printer's installed options as they were, for the tests after this one.
        if (!stored.empty())
            SetPrinterDataW(handle, DeviceSettingsValue(), REG_BINARY, stored.data(), DWORD(stored.size()));
        if (module)
            FreeLibrary(module);
        if (handle)
            ClosePrinter(handle);
    }
    std::vector<uint8_t> StoredDeviceSettings()
    {
        DWORD type = 0, needed = 0;
        GetPrinterDataW(handle, DeviceSettingsValue(), &type, nullptr, 0, &needed);
        std::vector<uint8_t> bytes(needed);
        if (!needed || GetPrinterDataW(handle, DeviceSettingsValue(), &type, bytes.data(), needed, &needed) !=
                           ERROR_SUCCESS)
            bytes.clear();
        return bytes;
    }
    void RunDeviceSheet(SessionDriver::Work onSheet, SessionDriver::Work onDialog)
    {
        SessionDriver driver(std::move(onSheet), std::move(onDialog));
        ASSERT_TRUE(driver.Set());
        properties(nullptr, handle);
        EXPECT_TRUE(driver.sheetShown);
    }
    // The document sheet's source list; its paper list into papers, and whether it has
    // the Job Storage page.
    std::vector<std::pair<int, std::wstring>> DocumentSheetSources(std::vector<std::pair<int, std::wstring>>& papers,
                                                                   bool& jobStoragePage)
    {
        std::vector<std::pair<int, std::wstring>> sources;
        const LONG size = DocumentPropertiesW(nullptr, handle, &name[0], nullptr, nullptr, 0);
        std::vector<uint8_t> output(size > 0 ? size_t(size) : 0);
        if (output.empty())
            return sources;
        SessionDriver driver(
            [&](HWND sheet) {
                if (HWND page = SelectPage(sheet, 2000)) {
                    sources = ListEntries(page, 11584);
                    papers = ListEntries(page, 2015);
                }
                jobStoragePage = SelectPage(sheet, 15000) != nullptr;
                PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            },
            nullptr);
        DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), nullptr,
                            DM_IN_PROMPT | DM_OUT_BUFFER);
        return sources;
    }
    // The source a DEVMODE asking for the bin keeps once the module took it in.
    int ValidatedSource(int16_t bin)
    {
        const LONG size = DocumentPropertiesW(nullptr, handle, &name[0], nullptr, nullptr, 0);
        std::vector<uint8_t> input(size > 0 ? size_t(size) : 0), output(input.size());
        auto* devMode = reinterpret_cast<DEVMODEW*>(input.data());
        if (input.empty() || DocumentPropertiesW(nullptr, handle, &name[0], devMode, nullptr, DM_OUT_BUFFER) != IDOK)
            return -1;
        devMode->dmDefaultSource = bin;
        devMode->dmFields |= DM_DEFAULTSOURCE;
        if (DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), devMode,
                                DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK)
            return -1;
        return reinterpret_cast<DEVMODEW*>(output.data())->dmDefaultSource;
    }
    std::vector<WORD> Bins()
    {
        const DWORD count = DeviceCapabilitiesW(name.c_str(), nullptr, DC_BINS, nullptr, nullptr);
        std::vector<WORD> bins(count == DWORD(GDI_ERROR) ? 0 : count);
        if (!bins.empty())
            DeviceCapabilitiesW(name.c_str(), nullptr, DC_BINS, reinterpret_cast<wchar_t*>(bins.data()), nullptr);
        return bins;
    }
    // The names a capability answers in slots of the width, each without a blank before it.
    std::vector<std::wstring> SlotNames(WORD capability, size_t width)
    {
        const DWORD count = DeviceCapabilitiesW(name.c_str(), nullptr, capability, nullptr, nullptr);
        std::vector<wchar_t> slots(count == DWORD(GDI_ERROR) ? 0 : count * width);
        if (!slots.empty())
            DeviceCapabilitiesW(name.c_str(), nullptr, capability, slots.data(), nullptr);
        std::vector<std::wstring> names;
        for (size_t at = 0; at < slots.size(); at += width) {
            std::wstring slot(&slots[at], width);
            slot = slot.substr(0, slot.find(L'\0'));
            names.push_back(!slot.empty() && slot[0] == L' ' ? slot.substr(1) : slot);
        }
        return names;
    }

    // The printer data value that keeps the device settings.
    static wchar_t* DeviceSettingsValue()
    {
        static wchar_t value[] = L"365";
        return value;
    }
    const TestPrinter& printer = TestPrinter::Shared();
    std::wstring name;
    HANDLE handle = nullptr;
    HMODULE module = nullptr;
    BOOL(WINAPI* properties)(HWND, HANDLE) = nullptr;
    std::vector<uint8_t> stored;
};

TEST_F(DeviceSheetControls, ChoicesSurviveOkAndAreWhatTheBinQueriesAndTheDocumentSheetOffer)
{
    const DeviceCase cases[] = {
        {"A4 and Transparency in tray 2: the single form-source bin",
         [](HWND sheet) {
             HWND page = SelectPage(sheet, kNTForms);
             PickListEntry(page, kTrays, 2);
             PickListEntry(page, kForms, kA4);
             PickListEntry(page, kTypes, kTransparency);
         },
         false, kA4, kTransparency, false, false, {15}, {L"Form Select"}, 1},
        {"Clear All: the trays again",
         [](HWND sheet) { SendDlgItemMessageW(SelectPage(sheet, kNTForms), kClearAll, BM_CLICK, 0, 0); }, false,
         kNoForm, kUnspecified, false, false, {257, 258}, {L"Tray 1", L"Tray 2"}, 1},
        {"Tray 3 installed",
         [](HWND sheet) {
             HWND page = SelectPage(sheet, kConfigure);
             PickListEntry(page, kSources, int(SendDlgItemMessageW(page, kSources, LB_GETITEMDATA, Tray3(page), 0)));
         },
         false, kNoForm,
         kUnspecified, true, false, {257, 258, 259}, {L"Tray 1", L"Tray 2", L"Tray 3"}, 1},
        {"a hard disk with job storage",
         [](HWND sheet) { SendDlgItemMessageW(SelectPage(sheet, kConfigure), kMore, BM_CLICK, 0, 0); }, true,
         kNoForm, kUnspecified, true, true, {257, 258, 259}, {L"Tray 1", L"Tray 2", L"Tray 3"}, 1},
        {"no duplexing unit",
         [](HWND sheet) { SendDlgItemMessageW(SelectPage(sheet, kConfigure), kDuplexUnit, BM_CLICK, 0, 0); }, false,
         kNoForm, kUnspecified, true, true, {257, 258, 259}, {L"Tray 1", L"Tray 2", L"Tray 3"}, 0},
    };
    std::vector<std::pair<int, std::wstring>> papers;
    for (const DeviceCase& row : cases) {
        SCOPED_TRACE(row.name);
        RunDeviceSheet(
            [&](HWND sheet) {
                row.choose(sheet);
                PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
            },
            [&](HWND dialog) {
                if (!row.moreOptions)
                    return;
                if (IsDlgButtonChecked(dialog, kHardDisk) != BST_CHECKED)
                    SendDlgItemMessageW(dialog, kHardDisk, BM_CLICK, 0, 0);
                SendDlgItemMessageW(dialog, kJobStorage, BM_CLICK, 0, 0);
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            });
        DeviceSeen seen;
        RunDeviceSheet([&](HWND sheet) { ReadDeviceSheet(sheet, seen); },
                       [&](HWND dialog) {
                           seen.jobStorage = IsDlgButtonChecked(dialog, kJobStorage) == BST_CHECKED;
                           PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                       });
        EXPECT_EQ(row.form, seen.form);
        EXPECT_EQ(row.type, seen.type);
        EXPECT_EQ(row.form, seen.shownForm);
        EXPECT_EQ(row.type, seen.shownType);
        EXPECT_EQ(row.tray3, seen.tray3Setting);
        EXPECT_EQ(row.tray3, seen.tray3);
        EXPECT_EQ(row.jobStorage, seen.jobStorageSetting);
        EXPECT_EQ(row.jobStorage, seen.jobStorage);

        EXPECT_EQ(row.bins, Bins());
        EXPECT_EQ(row.binNames, SlotNames(DC_BINNAMES, 24));
        EXPECT_EQ(row.duplex, DeviceCapabilitiesW(name.c_str(), nullptr, DC_DUPLEX, nullptr, nullptr));
        // The document sheet offers the bins an application finds: the trays by their bin
        // names, or automatic selection alone while forms are assigned to trays.
        std::vector<std::wstring> offered;
        bool jobStoragePage = false;
        for (const auto& source : DocumentSheetSources(papers, jobStoragePage))
            offered.push_back(source.second);
        EXPECT_EQ(row.jobStorage, jobStoragePage);
        EXPECT_EQ(row.bins == std::vector<WORD>{15} ? std::vector<std::wstring>{L"Automatically Select"} : row.binNames,
                  offered);
        // A DEVMODE keeps Tray 3's bin only while the tray is installed.
        EXPECT_EQ(row.tray3, ValidatedSource(259) == 259);
    }
    // Each paper of the sheet has the name the paper names query gives it.
    const std::vector<std::wstring> names = SlotNames(DC_PAPERNAMES, 64);
    ASSERT_FALSE(papers.empty());
    for (const auto& paper : papers)
        EXPECT_NE(names.end(), std::find(names.begin(), names.end(), paper.second)) << paper.first;
}

}  // namespace

