#include "ui/framework/GTimedDialog.h"

#include "ui/framework/ResourceLibrary.h"

namespace {
constexpr UINT_PTR kTimer = 1;
}

HANDLE GTimedDialog::Start()
{
    return CreateThread(nullptr, 0, &GTimedDialog::ThreadMain, this, 0, nullptr);
}

DWORD WINAPI GTimedDialog::ThreadMain(void* self)
{
    static_cast<GTimedDialog*>(self)->Run();
    return 0;
}

INT_PTR GTimedDialog::Run()
{
    HMODULE library = library_ ? library_ : ResourceLibrary::GetResourceLibrary();
    result_ = library ? DialogBoxParamW(library, MAKEINTRESOURCEW(templateId_), nullptr, &GTimedDialog::DialogProc,
                                        reinterpret_cast<LPARAM>(this))
                      : -1;
    return result_;
}

void GTimedDialog::Close(HWND window, INT_PTR result)
{
    KillTimer(window, kTimer);
    dontShow_ = IsDlgButtonChecked(window, kDontShowItem) == BST_CHECKED;
    EndDialog(window, result);
}

INT_PTR CALLBACK GTimedDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        auto* dialog = reinterpret_cast<GTimedDialog*>(lParam);
        for (const auto& text : dialog->texts_)
            SetDlgItemTextW(window, text.first, text.second.Data());
        if (dialog->timeout_)
            SetTimer(window, kTimer, dialog->timeout_ * 1000, nullptr);
        return TRUE;
    }
    auto* dialog = reinterpret_cast<GTimedDialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog)
        return FALSE;
    if (message == WM_TIMER && wParam == kTimer) {
        dialog->Close(window, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        dialog->Close(window, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
