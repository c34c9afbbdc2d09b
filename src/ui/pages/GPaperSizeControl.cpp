// The custom paper size's width and length fields of the Custom Paper Size dialog.
#include "model/GFeatureIds.h"
#include "printer/GDriverObject.h"
#include "ui/pages/PageControls.h"

#include <cmath>
#include <cstdio>
#include <cwchar>

namespace {

constexpr int32_t kTenthsPerInch = 254;

}  // namespace

// A dimension: its edit field, its unit labels, the text that shows its bounds and the
// setting that keeps it.
struct GPaperSizeControl::Dimension {
    int edit;
    int inchLabel;
    int millimetreLabel;
    int boundsText;
    uint16_t featureId;
    bool length;
};

namespace {

const GPaperSizeControl::Dimension kDimensions[] = {
    {11411, 11430, 11432, 11413, FeatureId::kCustomWidth, false},
    {11421, 11431, 11433, 11423, FeatureId::kCustomLength, true},
};

}  // namespace

const GPaperSizeControl::Dimension* GPaperSizeControl::Find(HWND dialog) const
{
    for (int edit : RoleItems(dialog))
        for (const Dimension& dimension : kDimensions)
            if (dimension.edit == edit)
                return &dimension;
    return nullptr;
}

namespace {

bool Millimetres(HWND dialog, int checkBox) { return IsDlgButtonChecked(dialog, checkBox) == BST_CHECKED; }

void Format(wchar_t* text, size_t size, int32_t tenths, bool millimetres)
{
    if (millimetres)
        std::swprintf(text, size, L"%.1f", tenths / 10.0);
    else
        std::swprintf(text, size, L"%.2f", double(tenths) / kTenthsPerInch);
}

// The tenths of a millimetre the text stands for: false when it is no positive number.
bool Parse(const wchar_t* text, bool millimetres, int32_t& tenths)
{
    wchar_t* end = nullptr;
    const double value = std::wcstod(text, &end);
    if (end == text || *end != L'\0' || !(value > 0) || value > 100000)
        return false;
    tenths = int32_t(std::lround(millimetres ? value * 10 : value * kTenthsPerInch));
    return true;
}

// The bounds of the dimension: the device's smallest and largest custom paper at the
// settings' resolution, taken as the sheet stands in the printer (orientation 0), so that
// the width and length are the paper's own whichever way the page is turned; any
// positive size when the model has neither.
void SizeBounds(GSheetContext* context, bool length, int32_t& minimum, int32_t& maximum)
{
    minimum = 1;
    maximum = 0x7FFF;
    GUIData* data = context ? context->GetGUIData() : nullptr;
    GDriverObject* driver = data ? data->driverUI : nullptr;
    GObjectBase* tree = context ? context->GetSettings().GetTree() : nullptr;
    GObjectBase* resolution = tree ? tree->FindById(FeatureId::kResolutionNode) : nullptr;
    const int32_t x = GDriverObject::NumberOr(resolution, FeatureId::kXResolution, 0);
    const int32_t y = GDriverObject::NumberOr(resolution, FeatureId::kYResolution, 0);
    int32_t low[2] = {}, high[2] = {};
    const int side = length ? 1 : 0;
    if (driver && driver->CustomSizeLimit(FeatureId::kSmallestCustomMedia, x, y, low) &&
        driver->CustomSizeLimit(FeatureId::kLargestCustomMedia, x, y, high) && low[side] > 0 &&
        high[side] >= low[side]) {
        minimum = low[side];
        maximum = high[side];
    }
}

}  // namespace

void GPaperSizeControl::ShowSize(HWND dialog, const Dimension& dimension)
{
    GSheetContext* context = Value() ? Value()->GetContext() : nullptr;
    const bool millimetres = Millimetres(dialog, kUseMillimetersItem);
    ShowWindow(GetDlgItem(dialog, dimension.inchLabel), millimetres ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(dialog, dimension.millimetreLabel), millimetres ? SW_SHOW : SW_HIDE);
    uint16_t tenths = 0;
    const bool present = context && context->GetSettings().GetValue(dimension.featureId, tenths);
    EnableWindow(GetDlgItem(dialog, dimension.edit), present);
    if (!present)
        return;
    int32_t minimum = 0, maximum = 0;
    SizeBounds(context, dimension.length, minimum, maximum);
    wchar_t text[32], low[16], high[16];
    Format(text, 32, tenths, millimetres);
    showing_ = true;
    SetDlgItemTextW(dialog, dimension.edit, text);
    showing_ = false;
    Format(low, 16, minimum, millimetres);
    Format(high, 16, maximum, millimetres);
    std::swprintf(text, 32, L"%ls to %ls", low, high);
    SetDlgItemTextW(dialog, dimension.boundsText, text);
}

void GPaperSizeControl::Show(HWND dialog)
{
    const Dimension* dimension = Find(dialog);
    if (!dimension) {
        GFeatureControl::Show(dialog);
        return;
    }
    DisableDeadItems(dialog, true);
    ShowSize(dialog, *dimension);
}

int GPaperSizeControl::OnCommand(HWND dialog, int id, UINT code)
{
    const Dimension* dimension = Find(dialog);
    if (!dimension)
        return GFeatureControl::OnCommand(dialog, id, code);
    if (id == kUseMillimetersItem && code == BN_CLICKED) {
        ShowSize(dialog, *dimension);
        return 0;  // the check box belongs to no one control
    }
    if (id != dimension->edit)
        return 0;
    GSheetContext* context = Value() ? Value()->GetContext() : nullptr;
    if (!context)
        return 1;
    if (code == EN_CHANGE && !showing_) {
        wchar_t text[32] = {};
        GetDlgItemTextW(dialog, id, text, 32);
        int32_t tenths = 0, minimum = 0, maximum = 0;
        SizeBounds(context, dimension->length, minimum, maximum);
        if (Parse(text, Millimetres(dialog, kUseMillimetersItem), tenths))
            context->GetSettings().SetValue(dimension->featureId,
                                            uint16_t(tenths < minimum ? minimum : tenths > maximum ? maximum : tenths));
    } else if (code == EN_KILLFOCUS) {
        ShowSize(dialog, *dimension);
    }
    return 1;
}

void GPaperSizeControl::Settle(HWND dialog)
{
    // The dialog's OK without the field left shows the size the setting took.
    if (const Dimension* dimension = Find(dialog))
        ShowSize(dialog, *dimension);
    else
        GFeatureControl::Settle(dialog);
}

void GPaperSizeControl::OnButton(HWND dialog)
{
    GModalDialog* custom = GetDialog();
    if (!custom || custom->Run(dialog, 0) != IDOK)
        return;
    // The size confirmed with OK is the paper of the job, whatever paper was chosen before.
    WriteValue(FeatureId::kCustomPaperCode);
    SendMessageW(dialog, kShowSettingsMessage, 0, 0);
}
