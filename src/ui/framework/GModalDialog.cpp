#include "ui/framework/GModalDialog.h"

#include "ui/framework/GPropertyPage.h"
#include "ui/framework/GSheetContext.h"
#include "ui/framework/ResourceLibrary.h"

INT_PTR GModalDialog::Run(HWND owner, uint32_t flag)
{
    HMODULE library = ResourceLibrary::GetResourceLibrary();
    GPropertyPage::RegisterCommonControls();
    GSheetContext* context = GetContext();
    if (context && !context->GetSettings().InTransaction())
        context->GetSettings().BeginTransaction();
    const INT_PTR result =
        library ? DialogBoxParamW(library, MAKEINTRESOURCEW(GetDialogId()), owner, &GModalDialog::DialogProc,
                                  reinterpret_cast<LPARAM>(this))
                : -1;
    if (context) {
        if (result == IDOK)
            context->GetSettings().Commit();
        else
            context->GetSettings().Rollback();
    }
    window_ = nullptr;
    return result;
}

INT_PTR CALLBACK GModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* dialog = reinterpret_cast<GModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    if (message == WM_INITDIALOG)
        dialog->window_ = window;
    const int handled = dialog->DispatchToControls(window, message, wParam, lParam);
    if (!handled && message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(window, LOWORD(wParam));
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : handled;
}
