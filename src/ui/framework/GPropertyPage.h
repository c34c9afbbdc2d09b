// One page of a property sheet over its page entry: fills the entry (instance,
// template, page procedure, flags), stores itself in the entry's PageLink, and routes
// the page's messages to its controls and the sheet context.
#pragma once

#include "ui/framework/GDialogBase.h"
#include "entry/sheet/GUIData.h"

#include <functional>

class GPropertyPage : public GDialogBase {
public:
    GPropertyPage(QZPageEntry* entry, HINSTANCE instance, uint16_t dialogId, GSheetContext* context, bool hasHelp,
                  uint32_t helpId);

    QZPageEntry* GetEntry() const { return entry_; }

    // The item of the line that tells the user why nothing on the page will be stored (the
    // printer's settings cannot be read, or the user may not change them).
    static constexpr int kStoringOffLine = 0x7F10;
    // The page shows that line, a string of the resource library, where it covers none
    // of the page's items.
    void ShowStoringOffLine(uint32_t stringId) { storingOffText_ = stringId; }
    // Every item of the page but the one kept (and the line) stays disabled: nothing on
    // the page can change.
    void FreezeItems(int keptItem)
    {
        frozen_ = true;
        keptItem_ = keptItem;
    }
    // The page's items follow their controls again.
    void ThawItems() { frozen_ = false; }
    // What the page makes of the sheet's mode flags (its line, its frozen items): run when
    // the flags change while the page shows, after which the page shows the line and the
    // items as they now are.
    typedef std::function<void(GPropertyPage& page, uint32_t modeFlags)> ModeFollower;
    void FollowModeFlags(ModeFollower follow) { followMode_ = std::move(follow); }

    // The page procedure of every page. It keeps the entry in DWLP_USER before anything
    // handles WM_INITDIALOG, so the hook finds it from then on.
    static INT_PTR CALLBACK PropertyPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Registers the common-control classes the templates use (the spin controls) before
    // a page or dialog is made from a template.
    static void RegisterCommonControls();

private:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void AddStoringOffLine(HWND window);
    void DisableItems(HWND window);
    // The line and the items as the mode flags now make them.
    void ShowModeFlags(HWND window, uint32_t modeFlags);

    QZPageEntry* entry_;
    bool initialising_ = false;  // within WM_INITDIALOG, nested messages included
    uint32_t storingOffText_ = 0;
    bool frozen_ = false;
    int keptItem_ = 0;
    ModeFollower followMode_;
};
