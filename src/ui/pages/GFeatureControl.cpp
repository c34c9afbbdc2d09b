#include "ui/pages/GFeatureControl.h"

#include "model/GConfiguration.h"
#include "model/GRangeAttribute.h"
#include "printer/GDriverObject.h"
#include "ui/framework/GSheetContext.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

namespace {

enum Role { kNoRole, kCheckRole, kRadioRole, kEditRole, kListRole, kPushRole, kSpinRole };

Role RoleOf(HWND item)
{
    wchar_t name[32] = {};
    if (!item || !GetClassNameW(item, name, 32))
        return kNoRole;
    if (_wcsicmp(name, L"Edit") == 0)
        return kEditRole;
    if (_wcsicmp(name, L"ComboBox") == 0 || _wcsicmp(name, L"ListBox") == 0)
        return kListRole;
    if (_wcsicmp(name, UPDOWN_CLASSW) == 0)
        return kSpinRole;
    if (_wcsicmp(name, L"Button") != 0)
        return kNoRole;
    switch (GetWindowLongW(item, GWL_STYLE) & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
    case BS_CHECKBOX:
        return kCheckRole;
    case BS_AUTORADIOBUTTON:
    case BS_RADIOBUTTON:
        return kRadioRole;
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
        return kPushRole;
    default:
        return kNoRole;
    }
}

Role RoleOfKind(GFeatureControl::Kind kind)
{
    switch (kind) {
    case GFeatureControl::kCheck:
        return kCheckRole;
    case GFeatureControl::kRadio:
        return kRadioRole;
    case GFeatureControl::kEdit:
        return kEditRole;
    case GFeatureControl::kList:
        return kListRole;
    case GFeatureControl::kButton:
        return kPushRole;
    default:
        return kNoRole;
    }
}

bool IsComboBox(HWND item)
{
    wchar_t name[32] = {};
    return item && GetClassNameW(item, name, 32) && _wcsicmp(name, L"ComboBox") == 0;
}

int32_t Clamp(int32_t value, int32_t minimum, int32_t maximum)
{
    return value < minimum ? minimum : value > maximum ? maximum : value;
}

}  // namespace

GFeatureControl::GFeatureControl(GFeature* binding, const DialogItem* items, Kind kind)
    : GDialogControl(binding, items), kind_(kind)
{
}

GFeatureControl::GFeatureControl(GFeature* binding, const DialogItem* items, GModalDialog* dialog)
    : GDialogControl(binding, items), kind_(kButton), dialog_(dialog)
{
}

std::vector<int> GFeatureControl::ItemsOfKind(HWND dialog, Kind kind) const
{
    const Role role = RoleOfKind(kind);
    std::vector<int> found;
    for (const DialogItem& item : GetItems())
        if (role != kNoRole && RoleOf(GetDlgItem(dialog, item.itemId)) == role)
            found.push_back(item.itemId);
    return found;
}

int GFeatureControl::ReadValue(uint16_t& value) const
{
    value = 0;
    GValueFeature* feature = Value();
    return feature ? feature->Read(value) : 0;
}

uint16_t GFeatureControl::ReadValue() const
{
    uint16_t value = 0;
    ReadValue(value);
    return value;
}

void GFeatureControl::WriteValue(uint16_t value)
{
    if (GValueFeature* feature = Value())
        feature->Write(value);
}

void GFeatureControl::Bounds(int32_t& minimum, int32_t& maximum) const
{
    GValueFeature* feature = Value();
    if (feature && feature->GetBounds(minimum, maximum) && minimum <= maximum)
        return;
    GSheetContext* context = feature ? feature->GetContext() : nullptr;
    GUIData* data = context ? context->GetGUIData() : nullptr;
    GObjectBase* configuration = data && data->driverUI ? data->driverUI->GetPrinterConfiguration() : nullptr;
    auto* range = rangeFeature_ ? GDriverObject::Feature<GRangeAttribute>(configuration, rangeFeature_) : nullptr;
    if (range && range->GetMinimum() <= range->GetMaximum()) {
        minimum = range->GetMinimum();
        maximum = range->GetMaximum();
        return;
    }
    minimum = 0;
    maximum = 0xFFFF;
}

void GFeatureControl::FillList(HWND dialog, int itemId, const std::vector<FeatureChoice>& choices, uint16_t value,
                               bool enable)
{
    HWND list = GetDlgItem(dialog, itemId);
    if (!list)
        return;
    const bool combo = IsComboBox(list);
    SendMessageW(list, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    LRESULT selected = -1;
    for (const FeatureChoice& choice : choices) {
        const LRESULT at = SendMessageW(list, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                                        reinterpret_cast<LPARAM>(choice.label.Data()));
        if (at < 0)
            continue;
        SendMessageW(list, combo ? CB_SETITEMDATA : LB_SETITEMDATA, WPARAM(at), LPARAM(choice.value));
        if (choice.value == value && selected < 0)
            selected = at;
    }
    SendMessageW(list, combo ? CB_SETCURSEL : LB_SETCURSEL, WPARAM(selected), 0);
    EnableWindow(list, enable && !choices.empty());
}

int GFeatureControl::SelectedValue(HWND dialog, int itemId, uint16_t& value)
{
    HWND list = GetDlgItem(dialog, itemId);
    if (!list)
        return 0;
    const bool combo = IsComboBox(list);
    const LRESULT at = SendMessageW(list, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
    if (at < 0)
        return 0;
    const LRESULT data = SendMessageW(list, combo ? CB_GETITEMDATA : LB_GETITEMDATA, WPARAM(at), 0);
    if (data < 0 || data > 0xFFFF)
        return 0;
    value = uint16_t(data);
    return 1;
}

void GFeatureControl::DisableDeadItems(HWND dialog, bool featurePresent)
{
    for (const DialogItem& item : GetItems()) {
        HWND window = GetDlgItem(dialog, item.itemId);
        const Role role = RoleOf(window);
        if (role == kPushRole) {
            if (item.itemId == IDOK && !featurePresent && kind_ != kButton && kind_ != kInert)
                EnableWindow(window, FALSE);
            if (item.itemId == IDOK || item.itemId == IDCANCEL)
                continue;
            const std::vector<int> buttons = RoleItems(dialog);
            const int opener = opener_ ? opener_ : buttons.empty() ? 0 : buttons[0];
            // The opener is live only while what it opens has something to change.
            const bool live = kind_ == kButton && item.itemId == opener && IsLive();
            if (!live)
                EnableWindow(window, FALSE);
        } else if (role == kNoRole || role == kSpinRole) {
            if (role == kSpinRole && !featurePresent)
                EnableWindow(window, FALSE);
        } else if (role != RoleOfKind(kind_) ? !DrivesItem(item.itemId) : !featurePresent) {
            EnableWindow(window, FALSE);
        }
    }
    // Radio buttons beyond the group's values stand for settings no binding holds.
    if (kind_ == kRadio) {
        const std::vector<int> radios = RoleItems(dialog);
        for (size_t i = radioValues_.size(); i < radios.size(); ++i)
            EnableWindow(GetDlgItem(dialog, radios[i]), FALSE);
    }
}

bool GFeatureControl::IsLive() const
{
    if (kind_ == kInert)
        return false;
    if (kind_ == kButton)
        return Opens() && (!dialog_ || HasLiveControl(dialog_.get()));
    uint16_t value = 0;
    if (!ReadValue(value))
        return false;
    if (kind_ == kRadio)
        return !radioValues_.empty();
    std::vector<FeatureChoice> choices;
    if (kind_ == kList && Value())
        Value()->GetChoices(choices);
    return kind_ != kList || !choices.empty();
}

bool GFeatureControl::HasLiveControl(const GDialogBase* dialog)
{
    for (size_t i = 0; dialog && i < dialog->ControlCount(); ++i)
        if (auto* control = dynamic_cast<GFeatureControl*>(dialog->GetControl(i)))
            if (control->IsLive())
                return true;
    return false;
}

void GFeatureControl::Show(HWND dialog)
{
    uint16_t value = 0;
    const bool present = kind_ == kButton || kind_ == kInert || ReadValue(value);
    DisableDeadItems(dialog, present);
    const std::vector<int> items = RoleItems(dialog);
    if (items.empty())
        return;
    if (kind_ == kList) {
        // The choices show even while the feature is absent; the list is then disabled.
        std::vector<FeatureChoice> choices;
        if (GValueFeature* feature = Value())
            feature->GetChoices(choices);
        FillList(dialog, items[0], choices, present ? value : uint16_t(0xFFFF), present);
        return;
    }
    if (!present)
        return;
    switch (kind_) {
    case kCheck:
        CheckDlgButton(dialog, items[0], value ? BST_CHECKED : BST_UNCHECKED);
        break;
    case kRadio:
        for (size_t i = 0; i < items.size() && InGroup(i); ++i)
            CheckDlgButton(dialog, items[i], RadioValue(i) == value ? BST_CHECKED : BST_UNCHECKED);
        break;
    case kEdit: {
        int spin = 0;
        for (const DialogItem& item : GetItems())
            if (!spin && RoleOf(GetDlgItem(dialog, item.itemId)) == kSpinRole)
                spin = item.itemId;
        ShowNumber(dialog, items[0], spin);
        break;
    }
    default:
        break;
    }
}

void GFeatureControl::NumberBounds(HWND, int, int32_t& minimum, int32_t& maximum) const
{
    Bounds(minimum, maximum);
}

bool GFeatureControl::FieldValue(HWND dialog, int id, int32_t& value) const
{
    BOOL ok = FALSE;
    value = int32_t(GetDlgItemInt(dialog, id, &ok, TRUE));
    return ok != FALSE;
}

void GFeatureControl::FormatNumber(HWND, int, int32_t value, wchar_t* text, size_t size) const
{
    std::swprintf(text, size, L"%ld", long(value));
}

int GFeatureControl::ReadNumber(HWND dialog, int id, int32_t& number) const
{
    uint16_t value = 0;
    if (!ReadValue(value))
        return 0;
    int32_t minimum = 0, maximum = 0;
    NumberBounds(dialog, id, minimum, maximum);
    // A setting whose bounds reach below 0 keeps its number in 16 signed bits.
    number = minimum < 0 ? int16_t(value) : int32_t(value);
    return 1;
}

void GFeatureControl::WriteNumber(HWND, int, int32_t value)
{
    WriteValue(uint16_t(value));
}

int32_t GFeatureControl::FieldNumber(HWND dialog, int id) const
{
    int32_t minimum = 0, maximum = 0, value = 0;
    NumberBounds(dialog, id, minimum, maximum);
    if (!FieldValue(dialog, id, value))
        value = 0;
    return Clamp(value, minimum, maximum);
}

int32_t GFeatureControl::PutNumber(HWND dialog, int id, int spinId, int32_t value)
{
    int32_t minimum = 0, maximum = 0;
    NumberBounds(dialog, id, minimum, maximum);
    value = Clamp(value, minimum, maximum);
    wchar_t low[32] = {}, high[32] = {}, shown[32] = {}, text[32] = {};
    FormatNumber(dialog, id, minimum, low, 32);
    FormatNumber(dialog, id, maximum, high, 32);
    FormatNumber(dialog, id, value, shown, 32);
    HWND edit = GetDlgItem(dialog, id);
    writingField_ = true;
    // One character more than the widest number within the bounds, so that a number typed
    // past the largest is brought back to it rather than cut short.
    SendMessageW(edit, EM_SETLIMITTEXT, WPARAM(std::max(std::wcslen(low), std::wcslen(high)) + 1), 0);
    if (HWND spin = spinId ? GetDlgItem(dialog, spinId) : nullptr) {
        // A spin control aligned to its field narrows the field each time it is attached.
        if (reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)) != edit)
            SendMessageW(spin, UDM_SETBUDDY, WPARAM(edit), 0);
        SendMessageW(spin, UDM_SETRANGE32, WPARAM(minimum), LPARAM(maximum));
        SendMessageW(spin, UDM_SETPOS32, 0, LPARAM(value));
    }
    GetWindowTextW(edit, text, 32);
    if (std::wcscmp(shown, text) != 0)
        SetWindowTextW(edit, shown);
    writingField_ = false;
    return value;
}

bool GFeatureControl::ShowNumber(HWND dialog, int id, int spinId)
{
    int32_t held = 0;
    if (!ReadNumber(dialog, id, held))
        return false;
    const int32_t shown = PutNumber(dialog, id, spinId, held);
    if (shown != held)
        WriteNumber(dialog, id, shown);
    return true;
}

void GFeatureControl::TakeNumber(HWND dialog, int id)
{
    // The control's own text is the number held, or the bound it then wrote itself.
    if (writingField_)
        return;
    // The text stays as typed (a 0 on its way to 05 is not a 1 under the caret); the
    // setting holds the number the field will show once settled.
    WriteNumber(dialog, id, FieldNumber(dialog, id));
    // Whatever the user types is a change of theirs, even one that keeps the value held.
    if (GSheetContext* context = Value() ? Value()->GetContext() : nullptr)
        context->GetSettings().NoteChange();
}

void GFeatureControl::SettleNumber(HWND dialog, int id)
{
    int32_t held = 0;
    if (!ReadNumber(dialog, id, held))  // no setting: the field is disabled and shows nothing
        return;
    // The text of the number held keeps that number: shown in a unit coarser than the
    // setting's own, it would be read back as a neighbour, and no typing made it one.
    wchar_t text[32] = {}, heldText[32] = {};
    GetDlgItemTextW(dialog, id, text, 32);
    FormatNumber(dialog, id, held, heldText, 32);
    const bool untouched = std::wcscmp(text, heldText) == 0;
    WriteNumber(dialog, id, PutNumber(dialog, id, 0, untouched ? held : FieldNumber(dialog, id)));
}

void GFeatureControl::Settle(HWND dialog)
{
    const std::vector<int> items = kind_ == kEdit ? RoleItems(dialog) : std::vector<int>();
    if (!items.empty())
        SettleNumber(dialog, items[0]);
}

void GFeatureControl::OnButton(HWND dialog)
{
    if (dialog_)
        dialog_->Run(dialog, 0);
}

int GFeatureControl::OnCommand(HWND dialog, int id, UINT code)
{
    const std::vector<int> items = RoleItems(dialog);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] != id)
            continue;
        switch (kind_) {
        case kCheck:
            if (code == BN_CLICKED && i == 0)
                WriteValue(IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0);
            return 1;
        case kRadio:
            if (code == BN_CLICKED && InGroup(i) && IsDlgButtonChecked(dialog, id) == BST_CHECKED)
                WriteValue(RadioValue(i));
            return 1;
        case kEdit:
            if (i != 0)
                return 0;
            if (code == EN_CHANGE)
                TakeNumber(dialog, id);
            else if (code == EN_KILLFOCUS)
                SettleNumber(dialog, id);
            return 1;
        case kList:
            if (i == 0 && code == CBN_SELCHANGE) {  // LBN_SELCHANGE has the same code
                uint16_t value = 0;
                if (SelectedValue(dialog, id, value))
                    WriteValue(value);
            }
            return 1;
        case kButton:
            if (id != (opener_ ? opener_ : items[0]))
                return 0;
            if (code == BN_CLICKED && IsLive())
                OnButton(dialog);
            return 1;
        default:
            return 0;
        }
    }
    return 0;
}

int GFeatureControl::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG || message == kShowSettingsMessage) {
        Show(dialog);
        return 0;
    }
    // A commit takes the number as the field shows it once settled, whether or not the
    // field was left: the sheet's OK or Apply (the page it left first, then every page),
    // a move to another page, the OK of a dialog. None of these is the control's to
    // answer.
    const bool commit = (message == WM_NOTIFY && lParam &&
                         (reinterpret_cast<const NMHDR*>(lParam)->code == UINT(PSN_KILLACTIVE) ||
                          reinterpret_cast<const NMHDR*>(lParam)->code == UINT(PSN_APPLY))) ||
                        (message == WM_COMMAND && LOWORD(wParam) == IDOK);
    if (commit) {
        Settle(dialog);
        return 0;
    }
    if (message != WM_COMMAND || kind_ == kInert)
        return 0;
    const int id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL)
        return 0;
    return OnCommand(dialog, id, HIWORD(wParam));
}
