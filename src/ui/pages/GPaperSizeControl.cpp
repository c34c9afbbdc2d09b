// The custom paper size's width and length fields of the Custom Paper Size dialog.
#include "model/GFeatureIds.h"
#include "model/GLocaleInfo.h"
#include "printer/GDriverObject.h"
#include "printer/GOSFactory.h"
#include "ui/pages/PageControls.h"

#include <cstdio>
#include <cwchar>
#include <memory>

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

// The tenths of a millimetre in one unit shown: a millimetre or an inch.
int64_t TenthsPerUnit(bool millimetres) { return millimetres ? 10 : kTenthsPerInch; }

// Millimetres with one decimal, inches with two, rounded; in whole numbers, so that the
// text is the same in every locale and reads back through Parse.
void Format(wchar_t* text, size_t size, int32_t tenths, bool millimetres)
{
    const int64_t magnitude = tenths < 0 ? -int64_t(tenths) : tenths;
    const int64_t places = millimetres ? 10 : 100;
    const int64_t shown = (magnitude * places * 2 + TenthsPerUnit(millimetres)) / (2 * TenthsPerUnit(millimetres));
    std::swprintf(text, size, millimetres ? L"%ls%ld.%01ld" : L"%ls%ld.%02ld", tenths < 0 ? L"-" : L"",
                  long(shown / places), long(shown % places));
}

// The user's decimal mark, as the regional settings give it: 0 unless it is one character.
wchar_t LocaleDecimalMark()
{
    GOSFactory* services = GOSFactory::Instance();
    std::unique_ptr<GLocaleInfo> locale(services ? services->CreateLocaleInfo() : nullptr);
    if (!locale)
        return L'\0';
    const RWCString& mark = locale->GetText(GLocaleInfo::kSDecimal);
    return mark.Length() == 1 ? wchar_t(static_cast<unsigned char>(mark.Data()[0])) : L'\0';
}

// The tenths of a millimetre a number in the unit stands for, rounded, halves up: digits
// with a decimal mark before the decimals ('.', ',' or the user's own mark, for a field
// typed as the user writes numbers), a sign and spaces around; false when the text is no
// such number. Decimals past the sixth change no size, and a number past a million units
// is past every size: it reads as the largest tenths there are.
bool Parse(const wchar_t* text, bool millimetres, wchar_t localeMark, int32_t& tenths)
{
    constexpr int64_t kWholeLimit = 1000000, kScaleLimit = 1000000;
    const wchar_t* at = text;
    while (*at == L' ')
        ++at;
    const bool negative = *at == L'-';
    if (*at == L'+' || *at == L'-')
        ++at;
    int64_t whole = 0, fraction = 0, scale = 1;
    bool digits = false, point = false;
    for (; *at; ++at) {
        const bool mark = *at == L'.' || *at == L',' || (localeMark && *at == localeMark);
        if (mark && !point) {
            point = true;
            continue;
        }
        if (*at < L'0' || *at > L'9')
            break;
        digits = true;
        const int digit = *at - L'0';
        if (!point && whole <= kWholeLimit)
            whole = whole * 10 + digit;
        else if (point && scale < kScaleLimit)
            fraction = fraction * 10 + digit, scale *= 10;
    }
    while (*at == L' ')
        ++at;
    if (!digits || *at != L'\0')
        return false;
    int64_t magnitude = INT32_MAX;
    if (whole <= kWholeLimit) {
        const int64_t units = whole * scale + fraction;  // in 1 / scale of the unit
        magnitude = (units * TenthsPerUnit(millimetres) * 2 + scale) / (2 * scale);
    }
    tenths = int32_t(negative ? -magnitude : magnitude);
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

const GPaperSizeControl::Dimension* GPaperSizeControl::DimensionOf(int id)
{
    for (const Dimension& dimension : kDimensions)
        if (dimension.edit == id)
            return &dimension;
    return nullptr;
}

GSheetContext* GPaperSizeControl::Context() const
{
    return Value() ? Value()->GetContext() : nullptr;
}

void GPaperSizeControl::NumberBounds(HWND dialog, int id, int32_t& minimum, int32_t& maximum) const
{
    if (const Dimension* dimension = DimensionOf(id))
        SizeBounds(Context(), dimension->length, minimum, maximum);
    else
        GFeatureControl::NumberBounds(dialog, id, minimum, maximum);
}

bool GPaperSizeControl::FieldValue(HWND dialog, int id, int32_t& value) const
{
    if (!DimensionOf(id))
        return GFeatureControl::FieldValue(dialog, id, value);
    // A text longer than any number the field takes is no number.
    wchar_t text[64] = {};
    if (GetWindowTextLengthW(GetDlgItem(dialog, id)) >= 64)
        return false;
    GetDlgItemTextW(dialog, id, text, 64);
    return Parse(text, Millimetres(dialog, kUseMillimetersItem), LocaleDecimalMark(), value);
}

void GPaperSizeControl::FormatNumber(HWND dialog, int id, int32_t value, wchar_t* text, size_t size) const
{
    if (DimensionOf(id))
        Format(text, size, value, Millimetres(dialog, kUseMillimetersItem));
    else
        GFeatureControl::FormatNumber(dialog, id, value, text, size);
}

int GPaperSizeControl::ReadNumber(HWND dialog, int id, int32_t& value) const
{
    const Dimension* dimension = DimensionOf(id);
    if (!dimension)
        return GFeatureControl::ReadNumber(dialog, id, value);
    GSheetContext* context = Context();
    uint16_t tenths = 0;
    if (!context || !context->GetSettings().GetValue(dimension->featureId, tenths))
        return 0;
    value = tenths;
    return 1;
}

void GPaperSizeControl::WriteNumber(HWND dialog, int id, int32_t value)
{
    const Dimension* dimension = DimensionOf(id);
    GSheetContext* context = Context();
    if (!dimension)
        GFeatureControl::WriteNumber(dialog, id, value);
    else if (context)
        context->GetSettings().SetValue(dimension->featureId, uint16_t(value));
}

void GPaperSizeControl::ShowSize(HWND dialog, const Dimension& dimension)
{
    const bool millimetres = Millimetres(dialog, kUseMillimetersItem);
    ShowWindow(GetDlgItem(dialog, dimension.inchLabel), millimetres ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(dialog, dimension.millimetreLabel), millimetres ? SW_SHOW : SW_HIDE);
    const bool present = ShowNumber(dialog, dimension.edit, 0);
    EnableWindow(GetDlgItem(dialog, dimension.edit), present);
    if (!present)
        return;
    int32_t minimum = 0, maximum = 0;
    NumberBounds(dialog, dimension.edit, minimum, maximum);
    wchar_t text[48], low[16], high[16];
    Format(low, 16, minimum, millimetres);
    Format(high, 16, maximum, millimetres);
    std::swprintf(text, 48, L"%ls to %ls", low, high);
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
    if (dimension && id == kUseMillimetersItem) {
        if (code == BN_CLICKED)
            ShowSize(dialog, *dimension);
        return 0;  // the check box belongs to no one control
    }
    // The size typed settles as every number field does, in the unit shown.
    return GFeatureControl::OnCommand(dialog, id, code);
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
