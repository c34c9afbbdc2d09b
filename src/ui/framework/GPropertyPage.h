// One page of a property sheet over its page entry: fills the entry (instance,
// template, page procedure, flags), stores itself in the entry's PageLink, and routes
// the page's messages to its controls and the sheet context.
#pragma once

#include "ui/framework/GDialogBase.h"
#include "entry/sheet/GUIData.h"

class GPropertyPage : public GDialogBase {
public:
    GPropertyPage(QZPageEntry* entry, HINSTANCE instance, uint16_t dialogId, GSheetContext* context, bool hasHelp,
                  uint32_t helpId);

    QZPageEntry* GetEntry() const { return entry_; }

    // The page procedure of every page. It keeps the entry in DWLP_USER before anything
    // handles WM_INITDIALOG, so the hook finds it from then on.
    static INT_PTR CALLBACK PropertyPageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Registers the common-control classes the templates use (the spin controls) before
    // a page or dialog is made from a template.
    static void RegisterCommonControls();

private:
    INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    QZPageEntry* entry_;
    bool initialising_ = false;  // within WM_INITDIALOG, nested messages included
};
