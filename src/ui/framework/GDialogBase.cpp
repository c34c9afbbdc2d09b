#include "ui/framework/GDialogBase.h"

void GDialogBase::AddControl(GDialogControl* control)
{
    if (control)
        controls_.emplace_back(control);
}

void GDialogBase::AddSubDialog(GDialogBase* dialog)
{
    if (dialog)
        subDialogs_.emplace_back(dialog);
}

void GDialogBase::BuildHelpIdTable()
{
    helpIds_.clear();
    for (const auto& control : controls_)
        for (const DialogItem& item : control->GetItems())
            if (item.helpId != -1) {
                helpIds_.push_back(DWORD(item.itemId));
                helpIds_.push_back(DWORD(item.helpId));
            }
    helpIds_.push_back(0);
    helpIds_.push_back(0);
}

int GDialogBase::DispatchToControls(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int handled = 0;
    for (const auto& control : controls_)
        handled |= control->OnMessage(window, message, wParam, lParam);
    return handled;
}
