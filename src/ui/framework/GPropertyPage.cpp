#include "ui/framework/GPropertyPage.h"

#include "ui/framework/GSheetContext.h"

GPropertyPage::GPropertyPage(QZPageEntry* entry, HINSTANCE instance, uint16_t dialogId, GSheetContext* context,
                             bool hasHelp, uint32_t helpId)
    : GDialogBase(dialogId, context, hasHelp, helpId), entry_(entry)
{
    if (!entry)
        return;
    entry->hInstance = instance;
    entry->pszTemplate = MAKEINTRESOURCEW(dialogId);
    entry->pfnDlgProc = &GPropertyPage::PropertyPageProc;
    entry->dwFlags &= ~DWORD(PSP_DLGINDIRECT);
    if (hasHelp)
        entry->dwFlags |= PSP_HASHELP;
    if (entry->pszTitle)
        entry->dwFlags |= PSP_USETITLE;
    if (auto* link = reinterpret_cast<PageLink*>(entry->lParam))
        link->page = this;
}

INT_PTR CALLBACK GPropertyPage::PropertyPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        SetWindowLongPtrW(window, DWLP_USER, lParam);
    auto* entry = reinterpret_cast<QZPageEntry*>(GetWindowLongPtrW(window, DWLP_USER));
    auto* link = entry ? reinterpret_cast<PageLink*>(entry->lParam) : nullptr;
    GPropertyPage* page = link ? link->page : nullptr;
    if (!page)
        return message == WM_INITDIALOG;
    return page->HandleMessage(window, message, wParam, lParam);
}

INT_PTR GPropertyPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        window_ = window;
    const int handled = DispatchToControls(window, message, wParam, lParam);
    if (GSheetContext* context = GetContext())
        context->OnPageMessage(window, message, wParam, lParam);
    return message == WM_INITDIALOG ? TRUE : handled;
}
