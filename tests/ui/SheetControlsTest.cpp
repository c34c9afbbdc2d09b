// The document sheet's controls as a user meets them (xvfb-run): the platform's
// DocumentPropertiesW opens the installed printer's sheet with a DEVMODE of landscape, A4,
// tray 2, 3 copies, scale 50 and two-sided printing; each control must show the value the
// settings took from it,
// a choice must write the feature's own value (read back through the module's settings
// behind the page) and light the sheet's Apply button. Then the sheet as a user works it,
// one sheet per row confirmed with OK: custom sizes, number fields at their ranges' ends,
// two-sided printing with and without the duplex unit, a radio button's value, and pages
// that only initialise. Last, the device sheet: form-to-tray rows and installed options,
// each confirmed with OK and read back, against the bin queries and the document sheet.
#include "SheetFixture.h"
#include "TestPrinter.h"
#include "entry/module/DriverPlatform.h"
#include "entry/sheet/GUIData.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GFormToTrayDatabase.h"
#include "ui/framework/GPropertyPage.h"
#include "ui/framework/GDialogControl.h"
#include "ui/framework/GSheetContext.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

enum ControlKind { kRadio, kCheck, kList, kNumber, kTyped };

// One control: the page (template) and item it sits on, the value it must show for the
// input DEVMODE (a radio group's or check box's checked state, a list's selected value,
// an edit field's number), the choice the test makes (the button clicked, the list value
// chosen, the number typed, and left unless only typed) and the value the feature must
// then hold; a number only typed shows as typed.
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
    {"copies: 999 shown, 1 typed", 1000, 1021, kNumber, 999, 1, 291, 1},
    // A number typed out of the range and not yet left stays as typed; the feature holds
    // the value the field will show once left, and the typing lights Apply, though that
    // is the value held before.
    {"copies: 0 typed at 1 is kept as 1", 1000, 1021, kTyped, 1, 0, 291, 1},
    // dmScale is none of the DEVMODE fields the settings take (the private part carries
    // the scale): the field shows the settings' 100.
    {"scale: 100 shown, 75 typed", 6000, 6021, kNumber, 100, 75, 269, 75},
    {"scale: 75 shown, 400 typed", 6000, 6021, kNumber, 75, 400, 269, 400},
    {"scale: 500 typed at 400 is kept as 400", 6000, 6021, kTyped, 400, 500, 269, 400},
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
    int shownAfter = -1;          // what the control shows after it
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
    case kNumber:
    case kTyped: {
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
    case kTyped:
        SetDlgItemInt(page, row.item, UINT(row.choice), TRUE);
        break;
    }
}

// Runs a test inside the sheet's own message loop once the sheet is up: a posted message
// to the sheet, seen by a message hook of this thread, does the work (which closes the
// sheet); a dialog the sheet opens gets the dialog work the same way.
class SheetDriver {
public:
    explicit SheetDriver(std::function<void(HWND)> onSheet, std::function<void(HWND)> onDialog = nullptr)
        : onSheet_(std::move(onSheet)), onDialog_(std::move(onDialog))
    {
        current_ = this;
        activation_ = SetWindowsHookExW(WH_CBT, &SheetDriver::Activation, nullptr, GetCurrentThreadId());
        messages_ = SetWindowsHookExW(WH_GETMESSAGE, &SheetDriver::Message, nullptr, GetCurrentThreadId());
    }
    ~SheetDriver()
    {
        UnhookWindowsHookEx(activation_);
        UnhookWindowsHookEx(messages_);
        current_ = nullptr;
    }
    bool Set() const { return activation_ && messages_; }
    int sheets = 0;
    int dialogs = 0;

private:
    static constexpr UINT kRun = WM_APP + 59;
    static constexpr UINT kRunDialog = WM_APP + 60;

    static LRESULT CALLBACK Activation(int code, WPARAM wParam, LPARAM lParam)
    {
        auto window = reinterpret_cast<HWND>(wParam);
        wchar_t name[16] = {};
        // A window activated again (the sheet once its dialog closed) has had its work.
        if (code != HCBT_ACTIVATE || !current_ || !current_->windows_.insert(window).second)
            return CallNextHookEx(nullptr, code, wParam, lParam);
        if (SendMessageW(window, PSM_GETTABCONTROL, 0, 0)) {
            ++current_->sheets;
            PostMessageW(window, kRun, 0, 0);
        } else if (current_->onDialog_ && GetClassNameW(window, name, 16) &&
                   std::wstring(name) == L"#32770") {
            ++current_->dialogs;
            PostMessageW(window, kRunDialog, 0, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK Message(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && current_ &&
            (message->message == kRun || message->message == kRunDialog)) {
            const bool sheet = message->message == kRun;
            message->message = WM_NULL;
            (sheet ? current_->onSheet_ : current_->onDialog_)(message->hwnd);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static SheetDriver* current_;
    std::function<void(HWND)> onSheet_, onDialog_;
    std::set<HWND> windows_;
    HHOOK activation_ = nullptr;
    HHOOK messages_ = nullptr;
};
SheetDriver* SheetDriver::current_ = nullptr;

// Makes each case's choice and notes what the sheet showed and wrote; cancels the sheet.
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
        seen.shownAfter = Shown(page, row);
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
        SheetDriver driver([&](HWND sheet) { RunCases(sheet, seen); });
        ASSERT_TRUE(driver.Set());
        DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()),
                            reinterpret_cast<DEVMODEW*>(input.data()), DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER);
        EXPECT_EQ(1, driver.sheets);
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
        if (row.kind == kTyped) {
            EXPECT_EQ(row.choice, seen[i].shownAfter) << "the number typed stays as typed";
        }
    }
}

// ---- The document sheet as a user works it: one sheet per row, closed with OK ----

enum Work { kCustomSize, kNumberField, kTypedOnly, kTwoSided, kRadioButton, kOpenOnly };

// One piece of work on a sheet opened over a one-sided Letter DEVMODE of the orientation,
// and what must come of it: the texts the fields show once left, the setting that must
// hold the value, and the DEVMODE handed back (0: not checked).
struct WorkRow {
    const char* name;
    Work work;
    short orientation;
    uint16_t page;
    int item;                 // the field typed into or the button clicked
    const wchar_t* typed[2];  // custom size: width and length; a number field: the number, then its largest value;
                              // a number only typed: the number the field starts at, then the number typed
    int option;               // custom size: 1 in millimetres; two-sided: 1 the duplex unit installed, 2 flipped
                              // up; a sheet only opened: the scale its settings hold
    const wchar_t* shown[3];  // custom size: width, length and the length's bounds; a number field: the number;
                              // a sheet only opened: the scale field
    uint16_t feature;
    int held;
    short paper[3];           // dmPaperSize, dmPaperWidth, dmPaperLength
    short duplex;
};

constexpr short kPortrait = DMORIENT_PORTRAIT, kLandscape = DMORIENT_LANDSCAPE;
constexpr short kUser = DMPAPER_USER;

// The device's custom sizes run from 3 x 5 to 8.5 x 14 inches.
const WorkRow kWork[] = {
    {"custom size: inches at the smallest", kCustomSize, kPortrait, 2000, 2016, {L"3.00", L"5.00"}, 0,
     {L"3.00", L"5.00", L"5.00 to 14.00"}, 260, 16384, {kUser, 762, 1270}, 0},
    {"custom size: landscape, inches at the largest", kCustomSize, kLandscape, 2000, 2016, {L"8.50", L"14.00"}, 0,
     {L"8.50", L"14.00", L"5.00 to 14.00"}, 260, 16384, {kUser, 2159, 3556}, 0},
    {"custom size: millimetres past the smallest", kCustomSize, kPortrait, 2000, 2016, {L"76.1", L"126.9"}, 1,
     {L"76.2", L"127.0", L"127.0 to 355.6"}, 260, 16384, {kUser, 762, 1270}, 0},
    {"custom size: landscape, millimetres past the largest", kCustomSize, kLandscape, 2000, 2016, {L"216", L"400"},
     1, {L"215.9", L"355.6", L"127.0 to 355.6"}, 260, 16384, {kUser, 2159, 3556}, 0},
    {"scale: 24 is raised to 25", kNumberField, kPortrait, 6000, 6021, {L"24", L"400"}, 0, {L"25"}, 269, 25, {}, 0},
    {"scale: 25", kNumberField, kPortrait, 6000, 6021, {L"25", L"400"}, 0, {L"25"}, 269, 25, {}, 0},
    {"scale: 400", kNumberField, kPortrait, 6000, 6021, {L"400", L"400"}, 0, {L"400"}, 269, 400, {}, 0},
    {"scale: 401 is lowered to 400", kNumberField, kPortrait, 6000, 6021, {L"401", L"400"}, 0, {L"400"}, 269, 400,
     {}, 0},
    // A number out of the range stays as typed while the field has not been left, be it
    // one no further digit brings within the range; the setting holds the nearest bound.
    {"copies: 0 typed at 1 stays 0", kTypedOnly, kPortrait, 1000, 1021, {L"1", L"0"}, 0, {L"0"}, 291, 1, {}, 0},
    {"scale: 500 typed at 400 stays 500", kTypedOnly, kPortrait, 6000, 6021, {L"400", L"500"}, 0, {L"500"}, 269,
     400, {}, 0},
    {"scale: 3 typed at 25 on the way to 30 stays", kTypedOnly, kPortrait, 6000, 6021, {L"25", L"3"}, 0, {L"3"}, 269,
     25, {}, 0},
    {"two-sided: without the duplex unit not offered", kTwoSided, kPortrait, 3000, 3011, {}, 0, {}, 253, 0, {},
     DMDUP_SIMPLEX},
    {"two-sided: bound at the side of a portrait page", kTwoSided, kPortrait, 3000, 3011, {}, 1, {}, 253, 2, {},
     DMDUP_VERTICAL},
    {"two-sided: a portrait page flipped up", kTwoSided, kPortrait, 3000, 3011, {}, 1 | 2, {}, 253, 1, {},
     DMDUP_HORIZONTAL},
    {"two-sided: bound at the side of a landscape page", kTwoSided, kLandscape, 3000, 3011, {}, 1, {}, 253, 2, {},
     DMDUP_HORIZONTAL},
    {"radio: Landscape writes 90 degrees, not its place", kRadioButton, kPortrait, 1000, 1032, {}, 0, {}, 265, 90,
     {}, 0},
    // The settings hold a scale out of the range when the pages first show: the field
    // shows the nearest bound and the settings take it, and that is no change of the
    // user's. The first page is Finishing.
    {"a sheet whose pages only initialise", kOpenOnly, kPortrait, 3000, 0, {}, 5, {L"25"}, 269, 25, {}, 0},
    {"a sheet whose pages only initialise, the scale above the range", kOpenOnly, kPortrait, 3000, 0, {}, 500,
     {L"400"}, 269, 400, {}, 0},
};

struct WorkSeen {
    bool found = false;
    std::wstring shown[3];
    bool offered = false;  // two-sided: the check box is enabled
    bool checked = false;  // two-sided: the check box shows two sides
    int held = -1;
    bool fits = false;     // a number field: takes its largest value whole
    bool apply = true;     // the sheet's Apply button once every page is up
    bool help = true;      // the sheet's Help button is offered
};

std::wstring ItemText(HWND dialog, int item)
{
    wchar_t text[64] = {};
    GetDlgItemTextW(dialog, item, text, 64);
    return text;
}

void TypeAndLeave(HWND dialog, int item, const wchar_t* text)
{
    SetDlgItemTextW(dialog, item, text);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(item, EN_KILLFOCUS), reinterpret_cast<LPARAM>(GetDlgItem(dialog, item)));
}

// Whether the field takes the text whole, wide enough at its font, and one character more,
// so that a number typed past the largest is not cut short.
bool Fits(HWND edit, const wchar_t* text)
{
    RECT area = {};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
    HDC dc = GetDC(edit);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text, int(wcslen(text)), &size);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
    return size.cx <= area.right - area.left && SendMessageW(edit, EM_GETLIMITTEXT, 0, 0) == LRESULT(wcslen(text) + 1);
}

void CustomSizeWork(HWND dialog, const WorkRow& row, WorkSeen& seen)
{
    if (row.option)
        SendDlgItemMessageW(dialog, 2052, BM_CLICK, 0, 0);
    TypeAndLeave(dialog, 11411, row.typed[0]);
    TypeAndLeave(dialog, 11421, row.typed[1]);
    seen.shown[0] = ItemText(dialog, 11411);
    seen.shown[1] = ItemText(dialog, 11421);
    seen.shown[2] = ItemText(dialog, 11423);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

// The sheet's OK as the platform's sheet reports it to the module (the reason Wine's
// sheet never sends): the committed settings written to the output.
typedef std::function<void()> Confirm;

void SheetWork(HWND sheet, const WorkRow& row, WorkSeen& seen, const Confirm& confirm)
{
    HWND page = SelectPage(sheet, row.page);
    GPropertyPage* object = page ? PageObject(page) : nullptr;
    seen.found = object && object->GetContext() && (row.work == kOpenOnly || GetDlgItem(page, row.item));
    if (seen.found) {
        GSettingsView& settings = object->GetContext()->GetSettings();
        switch (row.work) {
        case kCustomSize:
        case kRadioButton:
            SendDlgItemMessageW(page, row.item, BM_CLICK, 0, 0);
            break;
        case kNumberField:
            seen.fits = Fits(GetDlgItem(page, row.item), row.typed[1]);
            TypeAndLeave(page, row.item, row.typed[0]);
            seen.shown[0] = ItemText(page, row.item);
            break;
        case kTypedOnly:
            SetDlgItemTextW(page, row.item, row.typed[0]);
            SetDlgItemTextW(page, row.item, row.typed[1]);
            seen.shown[0] = ItemText(page, row.item);
            break;
        case kTwoSided:
            // The installed options as the printer's settings hold them.
            settings.SetValue(FeatureId::kDuplexUnit, row.option & 1);
            settings.SetValue(FeatureId::kDuplexFallback, 0);
            // Settings from elsewhere may ask for two sides the printer cannot print; the
            // row's own value is put back once the box was seen.
            if (!(row.option & 1))
                settings.SetValue(FeatureId::kDuplex, 2);
            SendMessageW(page, kShowSettingsMessage, 0, 0);
            seen.offered = IsWindowEnabled(GetDlgItem(page, row.item)) != FALSE;
            seen.checked = IsDlgButtonChecked(page, row.item) == BST_CHECKED;
            if (!(row.option & 1))
                settings.SetValue(FeatureId::kDuplex, 0);
            SendDlgItemMessageW(page, row.item, BM_CLICK, 0, 0);
            if (row.option & 2)
                SendDlgItemMessageW(page, 3012, BM_CLICK, 0, 0);
            break;
        case kOpenOnly: {
            // A scale below the range, as settings from elsewhere may hold it, before the
            // Effects page first shows it.
            settings.SetValue(FeatureId::kScalePercent, uint16_t(row.option));
            auto tab = reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0));
            for (int i = 0, count = int(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0)); i < count; ++i)
                SendMessageW(sheet, PSM_SETCURSEL, WPARAM(i), 0);
            // The scale field of the Effects page.
            if (HWND effects = SelectPage(sheet, 6000))
                seen.shown[0] = ItemText(effects, 6021);
            HWND help = GetDlgItem(sheet, IDHELP);
            seen.help = help && IsWindowVisible(help) && IsWindowEnabled(help);
            seen.apply = IsWindowEnabled(GetDlgItem(sheet, 0x3021)) != FALSE;
            break;
        }
        }
        uint16_t value = 0;
        if (row.feature && settings.GetValue(row.feature, value))
            seen.held = value;
    }
    confirm();
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
}

using DocumentSheetWork = SheetFixture;

TEST_F(DocumentSheetWork, CustomSizesScaleTwoSidedAndRadioGroupsReachTheSettingsAndTheDevMode)
{
    std::wstring name = printer.Name();
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
    const std::vector<uint8_t> defaults = InputDevMode(handle, name);
    ClosePrinter(handle);
    ASSERT_FALSE(defaults.empty());
    for (const WorkRow& row : kWork) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> input = defaults, output(input.size(), 0), committed(input.size(), 0);
        auto* in = reinterpret_cast<DEVMODEW*>(input.data());
        in->dmOrientation = row.orientation;
        in->dmPaperSize = DMPAPER_LETTER;
        in->dmDuplex = DMDUP_SIMPLEX;
        DOCUMENTPROPERTYHEADER header = {sizeof header, 0, nullptr, &name[0], nullptr,
                                         reinterpret_cast<DEVMODEW*>(committed.data()), DWORD(committed.size()),
                                         DM_COPY};
        const Confirm confirm = [&] {
            PROPSHEETUI_INFO info = {};
            info.cbSize = sizeof info;
            info.Reason = PROPSHEETUI_REASON_SET_RESULT;
            info.lParamInit = reinterpret_cast<LPARAM>(&header);
            SETRESULT_INFO set = {};
            set.cbSize = sizeof set;
            set.Result = CPSUI_OK;
            ui->DocumentPropertySheets(&info, reinterpret_cast<LPARAM>(&set));
        };
        WorkSeen seen;
        SheetDriver driver([&](HWND sheet) { SheetWork(sheet, row, seen, confirm); },
                           [&](HWND dialog) { CustomSizeWork(dialog, row, seen); });
        ASSERT_TRUE(driver.Set());
        // The rows set the installed options in the sheet's settings: the printer keeps its
        // own, for the rows after.
        ui->DocumentProperties(nullptr, nullptr, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), in,
                               DM_PROMPT | DM_COPY | DM_MODIFY | DM_NOPERMISSION);
        EXPECT_EQ(1, driver.sheets);
        ASSERT_TRUE(seen.found) << "page " << row.page << " item " << row.item;
        EXPECT_EQ(row.work == kCustomSize ? 1 : 0, driver.dialogs);
        for (int i = 0; i < 3; ++i) {
            if (row.shown[i]) {
                EXPECT_EQ(std::wstring(row.shown[i]), seen.shown[i]) << i;
            }
        }
        if (row.feature) {
            EXPECT_EQ(row.held, seen.held);
        }
        if (row.work == kNumberField) {
            EXPECT_TRUE(seen.fits) << "the field takes its largest value whole";
        }
        if (row.work == kTwoSided) {
            EXPECT_EQ((row.option & 1) != 0, seen.offered);
            if (!seen.offered) {
                EXPECT_FALSE(seen.checked) << "one side is what the printer prints";
            }
        }
        if (row.work == kOpenOnly) {
            EXPECT_FALSE(seen.apply) << "pages that only initialised change nothing";
            EXPECT_FALSE(seen.help) << "no help file: no Help";
        }
        const DEVMODEW* out = reinterpret_cast<const DEVMODEW*>(committed.data());
        ASSERT_EQ(220, out->dmSize) << "the sheet's OK writes the output";
        if (row.paper[0]) {
            EXPECT_EQ(row.paper[0], out->dmPaperSize);
            EXPECT_EQ(row.paper[1], out->dmPaperWidth);
            EXPECT_EQ(row.paper[2], out->dmPaperLength);
        }
        if (row.duplex) {
            EXPECT_EQ(row.duplex, out->dmDuplex);
        }
    }
}

// ---- The copies field typed key by key, as a user types into it ----

// How the typing ends: the field left for another item, or the sheet's OK pressed with the
// caret still in the field.
enum TypingEnd { kLeave, kOk };

// The field cleared, then the keys typed one by one; what it shows while typed and once
// left, and the dmCopies the platform hands back after OK. Copies run from 1 to 999.
struct TypedCopies {
    const char* name;
    const wchar_t* keys;
    TypingEnd end;
    const wchar_t* whileTyped;
    const wchar_t* left;  // null: not looked at (the sheet closes at once)
    short handedBack;
};

const TypedCopies kTypedCopies[] = {
    {"05, left", L"05", kLeave, L"05", L"5", 5},
    {"05, OK in the field", L"05", kOk, L"05", nullptr, 5},
    {"0, left", L"0", kLeave, L"0", L"1", 1},
    {"005, left", L"005", kLeave, L"005", L"5", 5},
    {"nothing, left", L"", kLeave, L"", L"1", 1},
    {"nothing, OK in the field", L"", kOk, L"", nullptr, 1},
    // One character past the widest number the range holds is taken, no more.
    {"10000, left", L"10000", kLeave, L"1000", L"999", 999},
    {"50, left", L"50", kLeave, L"50", L"50", 50},
    {"7, OK in the field", L"7", kOk, L"7", nullptr, 7},
};

struct TypedSeen {
    bool focused = false;  // the field had the focus while typed into
    std::wstring whileTyped, left;
};

void TypeCopies(HWND sheet, const TypedCopies& row, TypedSeen& seen)
{
    HWND basics = SelectPage(sheet, 1000);
    HWND field = basics ? GetDlgItem(basics, 1021) : nullptr;
    if (field) {
        SetFocus(field);
        seen.focused = GetFocus() == field;
        SendMessageW(field, EM_SETSEL, 0, -1);
        SendMessageW(field, WM_CHAR, VK_BACK, 0);
        for (const wchar_t* key = row.keys; *key; ++key)
            SendMessageW(field, WM_CHAR, WPARAM(*key), 0);
        seen.whileTyped = ItemText(basics, 1021);
        if (row.end == kLeave) {
            SetFocus(reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETTABCONTROL, 0, 0)));
            seen.left = ItemText(basics, 1021);
        }
    }
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
}

// A value is brought within the range only when the field is left or the sheet commits,
// never under the caret: 0 typed on the way to 05 stays 0, so 05 hands back 5 copies.
// What is handed back is what the field shows once left.
TEST(SheetControls, CopiesTypedKeyByKeyAreHandedBackAsTheFieldShowsThem)
{
    const TestPrinter& printer = TestPrinter::Shared();
    ASSERT_TRUE(printer.Installed()) << printer.Failure();
    std::wstring name = printer.Name();
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
    const std::vector<uint8_t> input = InputDevMode(handle, name);
    ASSERT_FALSE(input.empty());
    for (const TypedCopies& row : kTypedCopies) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> in = input, output(input.size(), 0);
        TypedSeen seen;
        SheetDriver driver([&](HWND sheet) { TypeCopies(sheet, row, seen); });
        ASSERT_TRUE(driver.Set());
        DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()),
                            reinterpret_cast<DEVMODEW*>(in.data()), DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER);
        EXPECT_EQ(1, driver.sheets);
        EXPECT_TRUE(seen.focused);
        EXPECT_EQ(std::wstring(row.whileTyped), seen.whileTyped);
        if (row.left) {
            EXPECT_EQ(std::wstring(row.left), seen.left);
        }
        const auto* out = reinterpret_cast<const DEVMODEW*>(output.data());
        ASSERT_EQ(220, out->dmSize) << "the sheet's OK hands the DEVMODE back";
        EXPECT_EQ(row.handedBack, out->dmCopies);
    }
    ClosePrinter(handle);
}

// ---- The custom size typed key by key in its dialog ----

constexpr int kWidthField = 11411, kLengthField = 11421;

// The width or length field of the Custom Paper Size dialog cleared, then typed key by key
// in the unit shown; what it shows while typed and once left, and the dimension the
// platform hands back in tenths of a millimetre after the dialog's OK and the sheet's.
// The device's custom sizes run from 3 x 5 to 8.5 x 14 inches, 76.2 x 127.0 to
// 215.9 x 355.6 millimetres; each field takes one character more than the widest of its
// bounds in the unit shown.
struct TypedSize {
    const char* name;
    int field;
    bool millimetres;
    const wchar_t* keys;
    TypingEnd end;
    const wchar_t* whileTyped;
    const wchar_t* left;  // null: not looked at (the dialog closes at once)
    short handedBack;
};

const TypedSize kTypedSizes[] = {
    {"width: 0, left", kWidthField, false, L"0", kLeave, L"0", L"3.00", 762},
    {"width: nothing, left", kWidthField, false, L"", kLeave, L"", L"3.00", 762},
    {"width: one past the largest, left", kWidthField, false, L"8.51", kLeave, L"8.51", L"8.50", 2159},
    {"width: the largest, left", kWidthField, false, L"8.5", kLeave, L"8.5", L"8.50", 2159},
    {"width: the smallest, left", kWidthField, false, L"3", kLeave, L"3", L"3.00", 762},
    {"width: one below the smallest, left", kWidthField, false, L"2.99", kLeave, L"2.99", L"3.00", 762},
    {"width: in range, left", kWidthField, false, L"4.25", kLeave, L"4.25", L"4.25", 1080},
    {"width: a decimal comma, left", kWidthField, false, L"8,5", kLeave, L"8,5", L"8.50", 2159},
    {"width: 100000 is cut a character past 8.50", kWidthField, false, L"100000", kLeave, L"10000", L"8.50", 2159},
    {"length: 0, OK in the field", kLengthField, false, L"0", kOk, L"0", nullptr, 1270},
    {"length: nothing, OK in the field", kLengthField, false, L"", kOk, L"", nullptr, 1270},
    {"length: one past the largest, left", kLengthField, false, L"14.01", kLeave, L"14.01", L"14.00", 3556},
    {"length: the largest, OK in the field", kLengthField, false, L"14", kOk, L"14", nullptr, 3556},
    {"length: the smallest, left", kLengthField, false, L"5", kLeave, L"5", L"5.00", 1270},
    {"length: one below the smallest, OK in the field", kLengthField, false, L"4.99", kOk, L"4.99", nullptr, 1270},
    {"length: in range, left", kLengthField, false, L"11.69", kLeave, L"11.69", L"11.69", 2969},
    {"width in mm: nothing, left", kWidthField, true, L"", kLeave, L"", L"76.2", 762},
    {"width in mm: one below the smallest, left", kWidthField, true, L"76.1", kLeave, L"76.1", L"76.2", 762},
    {"width in mm: in range, OK in the field", kWidthField, true, L"100.5", kOk, L"100.5", nullptr, 1005},
    {"width in mm: a decimal comma, left", kWidthField, true, L"210,5", kLeave, L"210,5", L"210.5", 2105},
    {"length in mm: 0, left", kLengthField, true, L"0", kLeave, L"0", L"127.0", 1270},
    {"length in mm: one past the largest, left", kLengthField, true, L"355.7", kLeave, L"355.7", L"355.6", 3556},
    {"length in mm: in range, left", kLengthField, true, L"297", kLeave, L"297", L"297.0", 2970},
    {"length in mm: 10000000 is cut a character past 355.6", kLengthField, true, L"10000000", kLeave, L"100000",
     L"355.6", 3556},
};

struct TypedSizeSeen {
    bool opened = false;   // the page's Custom button opened the dialog
    bool focused = false;  // the field had the focus while typed into
    std::wstring whileTyped, left;
    std::wstring otherBefore, otherAfter;  // the other dimension's field, untouched
};

void TypeSize(HWND dialog, const TypedSize& row, TypedSizeSeen& seen)
{
    seen.opened = true;
    const int other = row.field == kWidthField ? kLengthField : kWidthField;
    if (row.millimetres)
        SendDlgItemMessageW(dialog, 2052, BM_CLICK, 0, 0);
    seen.otherBefore = ItemText(dialog, other);
    HWND field = GetDlgItem(dialog, row.field);
    SetFocus(field);
    seen.focused = GetFocus() == field;
    SendMessageW(field, EM_SETSEL, 0, -1);
    SendMessageW(field, WM_CHAR, VK_BACK, 0);
    for (const wchar_t* key = row.keys; *key; ++key)
        SendMessageW(field, WM_CHAR, WPARAM(*key), 0);
    seen.whileTyped = ItemText(dialog, row.field);
    if (row.end == kLeave) {
        SetFocus(GetDlgItem(dialog, 2052));
        seen.left = ItemText(dialog, row.field);
    }
    seen.otherAfter = ItemText(dialog, other);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

// The width and length of the custom size settle as the number fields do, in the unit
// shown: as typed while the caret is in the field, brought within the device's bounds when
// the field is left or the dialog's OK is pressed in it (0, an empty field or one past the
// largest giving the nearest bound), and handed back as the field then shows them.
TEST(SheetControls, CustomSizesTypedKeyByKeyAreHandedBackAsTheFieldShowsThem)
{
    const TestPrinter& printer = TestPrinter::Shared();
    ASSERT_TRUE(printer.Installed()) << printer.Failure();
    std::wstring name = printer.Name();
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
    std::vector<uint8_t> input = InputDevMode(handle, name);
    ASSERT_FALSE(input.empty());
    auto* devMode = reinterpret_cast<DEVMODEW*>(input.data());
    devMode->dmOrientation = DMORIENT_PORTRAIT;
    devMode->dmPaperSize = DMPAPER_LETTER;
    for (const TypedSize& row : kTypedSizes) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> in = input, output(input.size(), 0);
        TypedSizeSeen seen;
        SheetDriver driver(
            [&](HWND sheet) {
                if (HWND paper = SelectPage(sheet, 2000))
                    SendDlgItemMessageW(paper, 2016, BM_CLICK, 0, 0);
                PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
            },
            [&](HWND dialog) { TypeSize(dialog, row, seen); });
        ASSERT_TRUE(driver.Set());
        DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()),
                            reinterpret_cast<DEVMODEW*>(in.data()), DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER);
        EXPECT_EQ(1, driver.sheets);
        ASSERT_TRUE(seen.opened);
        EXPECT_TRUE(seen.focused);
        EXPECT_EQ(std::wstring(row.whileTyped), seen.whileTyped);
        if (row.left) {
            EXPECT_EQ(std::wstring(row.left), seen.left);
        }
        EXPECT_EQ(seen.otherBefore, seen.otherAfter) << "the other dimension keeps its text";
        const auto* out = reinterpret_cast<const DEVMODEW*>(output.data());
        ASSERT_EQ(220, out->dmSize) << "the sheet's OK hands the DEVMODE back";
        EXPECT_EQ(DMPAPER_USER, out->dmPaperSize) << "the dialog's OK makes the custom size the paper";
        EXPECT_EQ(row.handedBack, row.field == kWidthField ? out->dmPaperWidth : out->dmPaperLength);
    }
    ClosePrinter(handle);
}

// The module's own DrvDocumentProperties runs the sheet itself and answers the button that
// closed it: OK hands back the landscape the user chose, Cancel the portrait the sheet
// opened on.
TEST(DriverDocumentProperties, AnswersOkWithTheUsersChoiceAndCancelWithout)
{
    const TestPrinter& printer = TestPrinter::Shared();
    ASSERT_TRUE(printer.Installed()) << printer.Failure();
    std::wstring name = printer.Name();
    HMODULE module = LoadLibraryW((TestPrinter::ProgramFolder() + L"\\qzui32.dll").c_str());
    ASSERT_NE(nullptr, module);
    typedef LONG(WINAPI * DocumentPropertiesFn)(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD);
    const auto documentProperties = reinterpret_cast<DocumentPropertiesFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DrvDocumentProperties")));
    ASSERT_NE(nullptr, documentProperties);
    const struct {
        int button;
        LONG answer;
        short orientation;
    } rows[] = {{PSBTN_OK, IDOK, kLandscape}, {PSBTN_CANCEL, IDCANCEL, kPortrait}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.button);
        std::vector<uint8_t> input(1172, 0), output(1172, 0);
        auto* in = reinterpret_cast<DEVMODEW*>(input.data());
        auto* out = reinterpret_cast<DEVMODEW*>(output.data());
        ASSERT_EQ(IDOK, documentProperties(nullptr, nullptr, &name[0], in, nullptr, DM_COPY));
        in->dmOrientation = kPortrait;
        in->dmFields |= DM_ORIENTATION;
        SheetDriver driver([&](HWND sheet) {
            if (HWND basics = SelectPage(sheet, 1000))
                SendDlgItemMessageW(basics, 1032, BM_CLICK, 0, 0);  // Landscape
            PostMessageW(sheet, PSM_PRESSBUTTON, row.button, 0);
        });
        ASSERT_TRUE(driver.Set());
        EXPECT_EQ(row.answer, documentProperties(nullptr, nullptr, &name[0], out, in, DM_PROMPT | DM_COPY | DM_MODIFY));
        EXPECT_EQ(1, driver.sheets);
        EXPECT_EQ(row.orientation, out->dmOrientation);
    }
    FreeLibrary(module);
}

// What the sheet hands back comes in again when the application prints with it: a custom
// size keeps the paper's own limits in either orientation (3 x 5 to 8.5 x 14 inches).
TEST(SheetWork, ACustomSizeComesBackInAsThePapersOwnInEitherOrientation)
{
    const TestPrinter& printer = TestPrinter::Shared();
    ASSERT_TRUE(printer.Installed()) << printer.Failure();
    std::wstring name = printer.Name();
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
    const struct {
        short width, length, keptWidth, keptLength;
    } sizes[] = {{1000, 2500, 1000, 2500}, {2160, 3557, 2159, 3556}, {761, 1269, 762, 1270}};
    for (short orientation : {kPortrait, kLandscape})
        for (const auto& row : sizes) {
            std::vector<uint8_t> input = InputDevMode(handle, name), output(input.size(), 0);
            ASSERT_FALSE(input.empty());
            auto* in = reinterpret_cast<DEVMODEW*>(input.data());
            in->dmOrientation = orientation;
            in->dmPaperSize = DMPAPER_USER;
            in->dmPaperWidth = row.width, in->dmPaperLength = row.length;
            in->dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH;
            ASSERT_EQ(IDOK, DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()),
                                                in, DM_IN_BUFFER | DM_OUT_BUFFER));
            const auto* out = reinterpret_cast<const DEVMODEW*>(output.data());
            EXPECT_EQ(DMPAPER_USER, out->dmPaperSize);
            EXPECT_EQ(row.keptWidth, out->dmPaperWidth) << "orientation " << orientation << ", width " << row.width;
            EXPECT_EQ(row.keptLength, out->dmPaperLength) << "orientation " << orientation << ", length " << row.length;
        }
    ClosePrinter(handle);
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
            SetPrinterDataW(handle, DeviceSettingsValue(), storedType, stored.data(), DWORD(stored.size()));
        if (module)
            FreeLibrary(module);
        if (handle)
            ClosePrinter(handle);
    }
    // The value as stored, its type (the count of the store's chunks is a DWORD) in
    // storedType.
    std::vector<uint8_t> StoredDeviceSettings()
    {
        DWORD needed = 0;
        GetPrinterDataW(handle, DeviceSettingsValue(), &storedType, nullptr, 0, &needed);
        std::vector<uint8_t> bytes(needed);
        if (!needed || GetPrinterDataW(handle, DeviceSettingsValue(), &storedType, bytes.data(), needed, &needed) !=
                           ERROR_SUCCESS)
            bytes.clear();
        return bytes;
    }
    void RunDeviceSheet(std::function<void(HWND)> onSheet, std::function<void(HWND)> onDialog)
    {
        SheetDriver driver(std::move(onSheet), std::move(onDialog));
        ASSERT_TRUE(driver.Set());
        properties(nullptr, handle);
        EXPECT_EQ(1, driver.sheets);
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
        SheetDriver driver(
            [&](HWND sheet) {
                if (HWND page = SelectPage(sheet, 2000)) {
                    sources = ListChoices(page, 11584);
                    papers = ListChoices(page, 2015);
                }
                jobStoragePage = SelectPage(sheet, 15000) != nullptr;
                PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            },
            nullptr);
        DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), nullptr,
                            DM_IN_PROMPT | DM_OUT_BUFFER);
        return sources;
    }
    // The paper a DEVMODE asking for it keeps once the module took it in (none: the
    // printer's default), and the size the document sheet shows chosen for it.
    int KeptPaper(short paper, std::wstring& shown)
    {
        std::vector<uint8_t> input(1172, 0), output(1172, 0);
        auto* devMode = reinterpret_cast<DEVMODEW*>(input.data());
        if (DocumentPropertiesW(nullptr, handle, &name[0], devMode, nullptr, DM_OUT_BUFFER) != IDOK)
            return -1;
        if (paper) {
            devMode->dmPaperSize = paper;
            devMode->dmFields = (devMode->dmFields | DM_PAPERSIZE) & ~DM_FORMNAME;
        }
        SheetDriver driver(
            [&](HWND sheet) {
                HWND page = SelectPage(sheet, 2000);
                const LRESULT at = page ? SendDlgItemMessageW(page, 2015, CB_GETCURSEL, 0, 0) : CB_ERR;
                wchar_t text[64] = {};
                if (at >= 0 && SendDlgItemMessageW(page, 2015, CB_GETLBTEXTLEN, WPARAM(at), 0) < 64)
                    SendDlgItemMessageW(page, 2015, CB_GETLBTEXT, WPARAM(at), LPARAM(text));
                shown = text;
                PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            },
            nullptr);
        DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), devMode,
                            DM_IN_BUFFER | DM_IN_PROMPT | DM_OUT_BUFFER);
        if (DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), devMode,
                                DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK)
            return -1;
        return reinterpret_cast<DEVMODEW*>(output.data())->dmPaperSize;
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
    DWORD storedType = REG_BINARY;
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
        // The fields a DEVMODE of the printer offers: the duplex field only with two sides.
        EXPECT_EQ(row.duplex ? DWORD(DM_DUPLEX) : 0,
                  DeviceCapabilitiesW(name.c_str(), nullptr, DC_FIELDS, nullptr, nullptr) & DM_DUPLEX);
        // The document sheet offers the bins an application finds by their bin names: the
        // trays, or the form source alone while forms are assigned to trays.
        std::vector<std::wstring> offered;
        bool jobStoragePage = false;
        for (const auto& source : DocumentSheetSources(papers, jobStoragePage))
            offered.push_back(source.second);
        EXPECT_EQ(row.jobStorage, jobStoragePage);
        EXPECT_EQ(row.binNames, offered);
        // A DEVMODE keeps Tray 3's bin only while the tray is installed.
        EXPECT_EQ(row.tray3, ValidatedSource(259) == 259);
        // While A4 alone is assigned, the printer's default names it; a document asking
        // for Legal keeps it, and the sheet shows it chosen.
        if (row.form == kA4) {
            std::wstring shown;
            EXPECT_EQ(DMPAPER_A4, KeptPaper(0, shown));
            EXPECT_EQ(L"A4", shown);
            EXPECT_EQ(DMPAPER_LEGAL, KeptPaper(DMPAPER_LEGAL, shown));
            EXPECT_EQ(L"Legal", shown);
        }
        // The sheet offers the papers the paper query offers, the custom size among them
        // whatever the table holds, each under the query's name.
        const std::vector<std::wstring> names = SlotNames(DC_PAPERNAMES, 64);
        ASSERT_FALSE(papers.empty());
        for (const auto& paper : papers)
            EXPECT_NE(names.end(), std::find(names.begin(), names.end(), paper.second)) << paper.first;
        for (size_t i = 0; i < names.size(); ++i)
            EXPECT_TRUE(std::any_of(papers.begin(), papers.end(), [&](const auto& p) { return p.second == names[i]; }))
                << "the sheet lacks " << std::string(names[i].begin(), names[i].end());
    }
}

}  // namespace
