#include "ui/framework/GPropertyPage.h"

#include "ui/framework/GSheetContext.h"
#include "ui/framework/ResourceLibrary.h"

#include <commctrl.h>

GPropertyPage::GPropertyPage(QZPageEntry* entry, HINSTANCE instance, uint16_t dialogId, GSheetContext* context,
                             bool hasHelp, uint32_t helpId)
    : GDialogBase(dialogId, context, hasHelp, helpId), entry_(entry)
{
    RegisterCommonControls();
    if (!entry)
        return;
    entry->hInstance = instance;
    entry->pszTemplate = MAKEINTRESOURCEW(dialogId);
    entry->pfnDlgProc = &GPropertyPage::PropertyPageProc;
    entry->dwFlags &= ~DWORD(PSP_DLGINDIRECT);
    // The sheet's Help button is offered only where there is help to show.
    if (hasHelp && context && context->HasHelpFile())
        entry->dwFlags |= PSP_HASHELP;
    else
        entry->dwFlags &= ~DWORD(PSP_HASHELP);
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

void GPropertyPage::RegisterCommonControls()
{
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
}

INT_PTR GPropertyPage::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
        window_ = window;
    GSheetContext* context = GetContext();
    if (context && message == WM_NOTIFY && lParam &&
        reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(PSN_HELP) && context->HasHelpFile())
        WinHelpW(window, context->GetHelpFileName().Data(), HELP_CONTEXT, GetHelpId());
    const uint32_t before = context ? context->GetSettings().Revision() : 0;
    // What the controls write while the page shows the settings for the first time (a
    // value brought within its bounds, the text of a field) is no change of the user's.
    const bool initialising = initialising_;
    if (message == WM_INITDIALOG)
        initialising_ = true;
    const int handled = DispatchToControls(window, message, wParam, lParam);
    initialising_ = initialising;
    if (message == WM_INITDIALOG && storingOffText_)
        AddStoringOffLine(window);
    // The controls enable their items as their features say, on any of these messages.
    if (frozen_ && (message == WM_INITDIALOG || message == WM_COMMAND || message == WM_NOTIFY))
        DisableItems(window);
    // A setting the user changed on the page (or in a sub-dialog it opened) lights the
    // sheet's Apply button.
    if (context && message != WM_INITDIALOG && !initialising_ && context->GetSettings().Revision() != before)
        SendMessageW(GetParent(window), PSM_CHANGED, WPARAM(window), 0);
    if (context)
        context->OnPageMessage(window, message, wParam, lParam);
    return message == WM_INITDIALOG ? TRUE : handled;
}

void GPropertyPage::AddStoringOffLine(HWND window)
{
    RWWString text;
    if (!ResourceLibrary::LoadResourceString(storingOffText_, text) || !text.Length())
        return;
    // Two lines of the dialog's font across the foot of the page, within its side margins
    // (in dialog units: the side margin, the two lines' height, the margin below).
    RECT page = {}, units = {7, 18, 0, 3};
    GetClientRect(window, &page);
    MapDialogRect(window, &units);
    HWND line = CreateWindowExW(0, L"STATIC", text.Data(), WS_CHILD | WS_VISIBLE | SS_LEFT, units.left,
                                page.bottom - units.top - units.bottom, page.right - 2 * units.left, units.top,
                                window, reinterpret_cast<HMENU>(kStoringOffLine), nullptr, nullptr);
    if (line)
        SendMessageW(line, WM_SETFONT, WPARAM(SendMessageW(window, WM_GETFONT, 0, 0)), TRUE);
}

void GPropertyPage::DisableItems(HWND window)
{
    for (HWND item = ::GetWindow(window, GW_CHILD); item; item = ::GetWindow(item, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(item);
        if (id != kStoringOffLine && (!keptItem_ || id != keptItem_))
            EnableWindow(item, FALSE);
    }
}
