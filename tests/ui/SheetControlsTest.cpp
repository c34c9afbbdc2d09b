// The document sheet's controls as a user meets them (xvfb-run): the platform's
// DocumentPropertiesW opens the installed printer's sheet with a DEVMODE of landscape, A4,
// tray 2, 3 copies, scale 50 and two-sided printing; each control must show the value the
// settings took from it,
// a choice must write the feature's own value (read back through the module's settings
// behind the page) and light the sheet's Apply button.
#include "TestPrinter.h"
#include "entry/sheet/GUIData.h"
#include "ui/framework/GPropertyPage.h"
#include "ui/framework/GSheetContext.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
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

// Runs the cases inside the sheet's own message loop once the sheet is up: a posted
// message to the sheet, seen by a message hook of this thread, does the work and closes
// the sheet.
class SheetDriver {
public:
    explicit SheetDriver(std::vector<Seen>& seen) : seen_(seen)
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

private:
    static constexpr UINT kRun = WM_APP + 59;

    static LRESULT CALLBACK Activation(int code, WPARAM wParam, LPARAM lParam)
    {
        auto window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && current_ && SendMessageW(window, PSM_GETTABCONTROL, 0, 0)) {
            ++current_->sheets;
            PostMessageW(window, kRun, 0, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK Message(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && current_ && message->message == kRun) {
            message->message = WM_NULL;
            current_->Run(message->hwnd);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    void Run(HWND sheet)
    {
        HWND apply = GetDlgItem(sheet, 0x3021);  // the sheet's Apply button
        for (size_t i = 0; i < std::size(kCases); ++i) {
            const ControlCase& row = kCases[i];
            Seen& seen = seen_[i];
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

    static SheetDriver* current_;
    std::vector<Seen>& seen_;
    HHOOK activation_ = nullptr;
    HHOOK messages_ = nullptr;
};
SheetDriver* SheetDriver::current_ = nullptr;

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
        SheetDriver driver(seen);
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

}  // namespace
