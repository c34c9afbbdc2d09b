#include "ui/framework/GPropertyPage.h"

#include "ui/framework/GSheetContext.h"
#include "ui/framework/ResourceLibrary.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <vector>

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
    if (message == kModeFlagsChangedMessage) {
        ShowModeFlags(window, uint32_t(wParam));
        return TRUE;
    }
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
    // A hook that answered the message (an apply refused, say) set the page's result.
    const uint16_t hooked = context ? context->OnPageMessage(window, message, wParam, lParam) : 0;
    if (message == WM_INITDIALOG)
        return TRUE;
    return handled ? handled : hooked ? TRUE : FALSE;
}

namespace {

// Where a block of text fits within the area without touching any of the items (each kept
// apart by the gaps): of the stretches between the items' sides, the widest in which the
// text, wrapped to that width, finds room, and there its lowest place, so that it reads
// as a note below what it concerns. heightAt gives the text's height at a width, or 0 or
// less when it cannot be wrapped to that width. False when no stretch has room.
bool FreePlaceFor(const RECT& area, const std::vector<RECT>& items, LONG gapX, LONG gapY, LONG narrowest,
                  const std::function<LONG(LONG)>& heightAt, RECT& placed)
{
    std::vector<LONG> lefts{area.left}, rights{area.right};
    for (const RECT& item : items) {
        if (item.right + gapX > area.left && item.right + gapX < area.right)
            lefts.push_back(item.right + gapX);
        if (item.left - gapX > area.left && item.left - gapX < area.right)
            rights.push_back(item.left - gapX);
    }
    bool found = false;
    for (LONG left : lefts) {
        for (LONG right : rights) {
            const LONG width = right - left;
            if (width < narrowest || (found && width < placed.right - placed.left))
                continue;
            const LONG height = heightAt(width);
            if (height <= 0 || height > area.bottom - area.top)
                continue;
            // The items this stretch crosses, and the lowest clear place among them: at
            // the area's foot or just above one of them.
            std::vector<RECT> crossed;
            for (const RECT& item : items)
                if (item.left - gapX < right && item.right + gapX > left)
                    crossed.push_back(item);
            std::vector<LONG> bottoms{area.bottom};
            for (const RECT& item : crossed)
                if (item.top - gapY < area.bottom)
                    bottoms.push_back(item.top - gapY);
            for (LONG bottom : bottoms) {
                const LONG top = bottom - height;
                if (top < area.top)
                    continue;
                bool clear = true;
                for (const RECT& item : crossed)
                    clear = clear && !(item.top - gapY < bottom && item.bottom + gapY > top);
                const bool better = !found || width > placed.right - placed.left || bottom > placed.bottom;
                if (clear && better) {
                    placed = {left, top, right, bottom};
                    found = true;
                }
            }
        }
    }
    return found;
}

}  // namespace

void GPropertyPage::AddStoringOffLine(HWND window)
{
    RWWString text;
    if (!ResourceLibrary::LoadResourceString(storingOffText_, text) || !text.Length())
        return;
    // In dialog units: the page's side margins, its top and bottom margins, the gaps kept
    // to the items, and the narrowest the line may be.
    RECT page = {}, margins = {7, 4, 7, 3}, gaps = {3, 2, 60, 0};
    GetClientRect(window, &page);
    MapDialogRect(window, &margins);
    MapDialogRect(window, &gaps);
    const RECT area = {page.left + margins.left, page.top + margins.top, page.right - margins.right,
                       page.bottom - margins.bottom};
    std::vector<RECT> items;
    for (HWND item = ::GetWindow(window, GW_CHILD); item; item = ::GetWindow(item, GW_HWNDNEXT)) {
        RECT bounds = {};
        GetWindowRect(item, &bounds);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bounds), 2);
        items.push_back(bounds);
    }
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    HDC dc = GetDC(window);
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    const auto heightAt = [&](LONG width) -> LONG {
        RECT need = {0, 0, width, 0};
        DrawTextW(dc, text.Data(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        return need.right <= width ? need.bottom : 0;
    };
    RECT placed = {};
    // Items cover the whole page: the line takes two lines across its foot.
    if (!FreePlaceFor(area, items, gaps.left, gaps.top, gaps.right, heightAt, placed)) {
        const LONG height = std::max<LONG>(heightAt(area.right - area.left), 1);
        placed = {area.left, area.bottom - height, area.right, area.bottom};
    }
    if (old)
        SelectObject(dc, old);
    ReleaseDC(window, dc);
    HWND line = CreateWindowExW(0, L"STATIC", text.Data(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, placed.left,
                                placed.top, placed.right - placed.left, placed.bottom - placed.top, window,
                                reinterpret_cast<HMENU>(kStoringOffLine), nullptr, nullptr);
    if (line)
        SendMessageW(line, WM_SETFONT, WPARAM(font), TRUE);
}

void GPropertyPage::ShowModeFlags(HWND window, uint32_t modeFlags)
{
    if (!followMode_)
        return;
    const uint32_t shownText = storingOffText_;
    const bool wasFrozen = frozen_;
    followMode_(*this, modeFlags);
    if (storingOffText_ != shownText) {
        if (HWND line = GetDlgItem(window, kStoringOffLine))
            DestroyWindow(line);
        if (storingOffText_)
            AddStoringOffLine(window);
    }
    if (frozen_) {
        DisableItems(window);
    } else if (wasFrozen) {
        // Every item as the template made it, then as its control shows it.
        for (HWND item = ::GetWindow(window, GW_CHILD); item; item = ::GetWindow(item, GW_HWNDNEXT))
            EnableWindow(item, TRUE);
        SendMessageW(window, kShowSettingsMessage, 0, 0);
    }
}

void GPropertyPage::DisableItems(HWND window)
{
    for (HWND item = ::GetWindow(window, GW_CHILD); item; item = ::GetWindow(item, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(item);
        if (id != kStoringOffLine && (!keptItem_ || id != keptItem_))
            EnableWindow(item, FALSE);
    }
}
