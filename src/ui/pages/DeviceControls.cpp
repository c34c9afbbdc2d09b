// The controls of the device sheet's own lists: the form-to-tray assignments of the NT
// Forms page, the optional devices of the Configure page and the storage switches of its
// More Configuration Options dialog.
#include "ui/pages/PageControls.h"

#include <algorithm>

namespace {

bool Holds(const std::vector<int>& items, int id) { return std::find(items.begin(), items.end(), id) != items.end(); }

} // namespace

void GFormTrayAssignmentControl::Show(HWND dialog)
{
    GFormTrayAssignmentFeature* table = Table();
    uint16_t unused = 0;
    const bool present = table && table->Read(unused);
    DisableDeadItems(dialog, present);
    const std::vector<int> lists = RoleItems(dialog), buttons = ItemsOfKind(dialog, kButton);
    if (lists.size() < 3 || !table)
        return;
    std::vector<FeatureChoice> trays;
    table->GetChoices(trays);
    FillList(dialog, lists[0], trays, trays.empty() ? uint16_t(0xFFFF) : trays[0].value, present);
    ShowRow(dialog);
    for (int button : buttons)
        EnableWindow(GetDlgItem(dialog, button), present && !trays.empty());
}

void GFormTrayAssignmentControl::ShowRow(HWND dialog)
{
    GFormTrayAssignmentFeature* table = Table();
    const std::vector<int> lists = RoleItems(dialog);
    if (lists.size() < 3 || !table)
        return;
    uint16_t tray = 0, form = GFormTrayAssignmentFeature::kNoForm, type = GFormTrayAssignmentFeature::kUnspecifiedType;
    const bool selected = SelectedValue(dialog, lists[0], tray) != 0;
    if (selected)
        table->ReadRow(tray, form, type);
    std::vector<FeatureChoice> forms, types;
    table->GetForms(forms);
    table->GetTypes(types);
    FillList(dialog, lists[1], forms, form, selected);
    FillList(dialog, lists[2], types, type, selected);
}

int GFormTrayAssignmentControl::OnCommand(HWND dialog, int id, UINT code)
{
    GFormTrayAssignmentFeature* table = Table();
    const std::vector<int> lists = RoleItems(dialog), buttons = ItemsOfKind(dialog, kButton);
    if (!table || lists.size() < 3)
        return 0;
    if (id == lists[0]) {
        if (code == LBN_SELCHANGE)
            ShowRow(dialog);
        return 1;
    }
    if (id == lists[1] || id == lists[2]) {
        uint16_t tray = 0, form = GFormTrayAssignmentFeature::kNoForm,
                 type = GFormTrayAssignmentFeature::kUnspecifiedType;
        if (code == CBN_SELCHANGE && SelectedValue(dialog, lists[0], tray)) {
            SelectedValue(dialog, lists[1], form);
            SelectedValue(dialog, lists[2], type);
            table->WriteRow(tray, form, type);
        }
        return 1;
    }
    if (Holds(buttons, id)) {
        if (code == BN_CLICKED) {
            table->ClearAll();
            ShowRow(dialog);
        }
        return 1;
    }
    return 0;
}

void GOptionalDevicesControl::Show(HWND dialog)
{
    GOptionalDevicesFeature* devices = Devices();
    uint16_t unused = 0;
    const bool present = devices && devices->Read(unused);
    DisableDeadItems(dialog, present);
    const std::vector<int> lists = RoleItems(dialog);
    if (lists.empty() || !devices)
        return;
    std::vector<FeatureChoice> choices;
    devices->GetChoices(choices);
    FillList(dialog, lists[0], choices, 0xFFFF, present);
    HWND list = GetDlgItem(dialog, lists[0]);
    for (LRESULT i = 0, count = SendMessageW(list, LB_GETCOUNT, 0, 0); i < count; ++i) {
        const LRESULT value = SendMessageW(list, LB_GETITEMDATA, WPARAM(i), 0);
        SendMessageW(list, LB_SETSEL, devices->IsInstalled(uint16_t(value)) ? TRUE : FALSE, LPARAM(i));
    }
}

int GOptionalDevicesControl::OnCommand(HWND dialog, int id, UINT code)
{
    GOptionalDevicesFeature* devices = Devices();
    const std::vector<int> lists = RoleItems(dialog);
    if (!devices || lists.empty() || id != lists[0])
        return 0;
    if (code == LBN_SELCHANGE) {
        HWND list = GetDlgItem(dialog, id);
        for (LRESULT i = 0, count = SendMessageW(list, LB_GETCOUNT, 0, 0); i < count; ++i) {
            const uint16_t value = uint16_t(SendMessageW(list, LB_GETITEMDATA, WPARAM(i), 0));
            const bool selected = SendMessageW(list, LB_GETSEL, WPARAM(i), 0) > 0;
            if (selected != devices->IsInstalled(value))
                devices->SetInstalled(value, selected);
        }
        Show(dialog);
    }
    return 1;
}

void GHardDiskControl::Show(HWND dialog)
{
    GFeatureControl::Show(dialog);
    const std::vector<int> checks = RoleItems(dialog);
    GValueFeature* storage = JobStorage();
    if (checks.size() < 2)
        return;
    uint16_t enabled = 0;
    const bool present = storage && storage->Read(enabled);
    EnableWindow(GetDlgItem(dialog, checks[1]), present);
    CheckDlgButton(dialog, checks[1], present && enabled ? BST_CHECKED : BST_UNCHECKED);
}

int GHardDiskControl::OnCommand(HWND dialog, int id, UINT code)
{
    const std::vector<int> checks = RoleItems(dialog);
    GValueFeature* storage = JobStorage();
    if (checks.size() < 2 || id != checks[1])
        return GFeatureControl::OnCommand(dialog, id, code);
    if (code == BN_CLICKED && storage)
        storage->Write(IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0);
    return 1;
}
