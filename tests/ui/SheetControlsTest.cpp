// The document sheet's controls as a user meets them (xvfb-run): the platform's
// DocumentPropertiesW opens the installed printer's sheet with a DEVMODE of landscape, A4,
// tray 2, 3 copies, scale 50 and two-sided printing; each control must show the value the
// settings took from it,
// a choice must write the feature's own value (read back through the module's settings
// behind the page) and light the sheet's Apply button. Then the sheet as a user works it,
// one sheet per row confirmed with OK: custom sizes, number fields at their ranges' ends,
// two-sided printing with and without the duplex unit, a radio button's value, and pages
// that only initialise.
#include "SheetFixture.h"
#include "TestPrinter.h"
#include "entry/module/DriverPlatform.h"
#include "entry/sheet/GUIData.h"
#include "ui/framework/GPropertyPage.h"
#include "model/GFeatureIds.h"
#include "ui/framework/GDialogControl.h"
#include "ui/framework/GSheetContext.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <functional>
#include <set>
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
    }
}

// ---- The document sheet as a user works it: one sheet per row, closed with OK ----

enum Work { kCustomSize, kNumberField, kTwoSided, kRadioButton, kOpenOnly };

// One piece of work on a sheet opened over a one-sided Letter DEVMODE of the orientation,
// and what must come of it: the texts the fields show once left, the setting that must
// hold the value, and the DEVMODE handed back (0: not checked).
struct WorkRow {
    const char* name;
    Work work;
    short orientation;
    uint16_t page;
    int item;                 // the field typed into or the button clicked
    const wchar_t* typed[2];  // custom size: width and length; a number field: the number, then its largest value
    int option;               // custom size: 1 in millimetres; two-sided: 1 the duplex unit installed, 2 flipped
                              // up; a sheet only opened: the scale its settings hold
    const wchar_t* shown[3];  // custom size: width, length and the length's bounds; a number field: the number
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
    // The settings hold a scale below the range when the pages first show: the field
    // shows 25, and that is no change of the user's. The first page is Finishing.
    {"a sheet whose pages only initialise", kOpenOnly, kPortrait, 3000, 0, {}, 5, {}, 269, 25, {}, 0},
};

struct WorkSeen {
    bool found = false;
    std::wstring shown[3];
    bool offered = false;  // two-sided: the check box is enabled
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

// Whether the field takes the text whole: as many characters and wide enough at its font.
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
    return size.cx <= area.right - area.left && SendMessageW(edit, EM_GETLIMITTEXT, 0, 0) == LRESULT(wcslen(text));
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
        case kTwoSided:
            // The installed options as the printer's settings hold them.
            settings.SetValue(FeatureId::kDuplexUnit, row.option & 1);
            settings.SetValue(FeatureId::kDuplexFallback, 0);
            SendMessageW(page, kShowSettingsMessage, 0, 0);
            seen.offered = IsWindowEnabled(GetDlgItem(page, row.item)) != FALSE;
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
        ui->DocumentProperties(nullptr, nullptr, &name[0], reinterpret_cast<DEVMODEW*>(output.data()), in,
                               DM_PROMPT | DM_COPY | DM_MODIFY);
        EXPECT_EQ(1, driver.sheets);
        ASSERT_TRUE(seen.found) << "page " << row.page << " item " << row.item;
        EXPECT_EQ(row.work == kCustomSize ? 1 : 0, driver.dialogs);
        for (int i = 0; i < 3; ++i)
            if (row.shown[i])
                EXPECT_EQ(std::wstring(row.shown[i]), seen.shown[i]) << i;
        if (row.feature)
            EXPECT_EQ(row.held, seen.held);
        if (row.work == kNumberField)
            EXPECT_TRUE(seen.fits) << "the field takes its largest value whole";
        if (row.work == kTwoSided)
            EXPECT_EQ((row.option & 1) != 0, seen.offered);
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
        if (row.duplex)
            EXPECT_EQ(row.duplex, out->dmDuplex);
    }
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

}  // namespace
