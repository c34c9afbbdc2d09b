#include "ui/pages/GFeatureControl.h"

#include "ui/framework/GValueFeature.h"

#include <cwchar>

namespace {

bool ItemHasRole(HWND item, GFeatureControl::Kind kind)
{
    wchar_t name[32] = {};
    if (!item || !GetClassNameW(item, name, 32))
        return false;
    const LONG type = GetWindowLongW(item, GWL_STYLE) & BS_TYPEMASK;
    const bool button = _wcsicmp(name, L"Button") == 0;
    switch (kind) {
    case GFeatureControl::kCheck:
        return button && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX);
    case GFeatureControl::kRadio:
        return button && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
    case GFeatureControl::kEdit:
        return _wcsicmp(name, L"Edit") == 0;
    case GFeatureControl::kList:
        return _wcsicmp(name, L"ComboBox") == 0 || _wcsicmp(name, L"ListBox") == 0;
    case GFeatureControl::kButton:
        return button && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
    default:
        return false;
    }
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

std::vector<int> GFeatureControl::RoleItems(HWND dialog) const
{
    std::vector<int> found;
    for (const DialogItem& item : GetItems())
        if (ItemHasRole(GetDlgItem(dialog, item.itemId), kind_))
            found.push_back(item.itemId);
    return found;
}

uint16_t GFeatureControl::ReadValue() const
{
    uint16_t value = 0;
    if (auto* feature = dynamic_cast<GValueFeature*>(GetBinding()))
        feature->Read(value);
    return value;
}

void GFeatureControl::WriteValue(uint16_t value)
{
    if (auto* feature = dynamic_cast<GValueFeature*>(GetBinding()))
        feature->Write(value);
}

void GFeatureControl::Show(HWND dialog)
{
    const std::vector<int> items = RoleItems(dialog);
    if (items.empty())
        return;
    const uint16_t value = ReadValue();
    switch (kind_) {
    case kCheck:
        CheckDlgButton(dialog, items[0], value ? BST_CHECKED : BST_UNCHECKED);
        break;
    case kRadio:
        for (size_t i = 0; i < items.size(); ++i)
            CheckDlgButton(dialog, items[i], i == value ? BST_CHECKED : BST_UNCHECKED);
        break;
    case kEdit:
        SetDlgItemInt(dialog, items[0], value, FALSE);
        break;
    default:
        break;
    }
}

void GFeatureControl::OnButton(HWND dialog)
{
    if (dialog_)
        dialog_->Run(dialog, 0);
}

int GFeatureControl::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        Show(dialog);
        return 0;
    }
    if (message != WM_COMMAND || kind_ == kInert)
        return 0;
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (id == IDOK || id == IDCANCEL)
        return 0;
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
            if (code == BN_CLICKED)
                WriteValue(uint16_t(i));
            return 1;
        case kEdit: {
            if (code != EN_CHANGE || i != 0)
                return 0;
            BOOL ok = FALSE;
            const UINT value = GetDlgItemInt(dialog, id, &ok, FALSE);
            if (ok && value <= 0xFFFF)
                WriteValue(uint16_t(value));
            return 1;
        }
        case kList:
            if (code == CBN_SELCHANGE) {
                const LRESULT selection = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
                if (selection >= 0 && selection <= 0xFFFF)
                    WriteValue(uint16_t(selection));
            }
            return 1;
        case kButton:
            if (id != (opener_ ? opener_ : items[0]))
                return 0;
            if (code == BN_CLICKED)
                OnButton(dialog);
            return 1;
        default:
            return 0;
        }
    }
    return 0;
}
