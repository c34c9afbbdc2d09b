// A modal sub-dialog in a change frame: the changes made while it is open stay on OK and
// are taken back on Cancel.
#pragma once

#include "ui/framework/GDialogBase.h"

class GModalDialog : public GDialogBase {
public:
    GModalDialog(uint16_t dialogId, GSheetContext* context, bool hasHelp, uint32_t helpId)
        : GDialogBase(dialogId, context, hasHelp, helpId)
    {
    }

    // Shows the dialog from the resource library: the button that closed it (IDOK,
    // IDCANCEL), or -1 when it could not be shown.
    INT_PTR Run(HWND owner, uint32_t flag);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};
