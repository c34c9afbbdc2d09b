// The control of one feature's group of items, by kind: a check box writes 0 or 1, a
// radio group the index of the chosen button, an edit field its number, a list its
// selection (the lists are not filled yet), a button opens its sub-dialog; the rest is
// inert. OK and Cancel are never taken: they close the dialog the control sits on. The
// items of each role are found by their window class and style, so a label in the table
// is passed over. Works without a binding (it then reads 0 and writes nothing) and owns
// its sub-dialog.
#pragma once

#include "ui/framework/GDialogControl.h"
#include "ui/framework/GModalDialog.h"

#include <memory>

class GFeatureControl : public GDialogControl {
public:
    enum Kind { kInert, kCheck, kRadio, kEdit, kList, kButton };

    GFeatureControl(GFeature* binding, const DialogItem* items, Kind kind);
    // A button that opens the dialog (null: the button does nothing).
    GFeatureControl(GFeature* binding, const DialogItem* items, GModalDialog* dialog);

    Kind GetKind() const { return kind_; }
    // The button that opens the sub-dialog when it is not the first of the table.
    void SetOpener(int itemId) { opener_ = itemId; }
    GModalDialog* GetDialog() const { return dialog_.get(); }
    int OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // What a click on the button does: runs the sub-dialog over the page.
    virtual void OnButton(HWND dialog);
    // The items of the table that have the role of the kind, in table order.
    std::vector<int> RoleItems(HWND dialog) const;
    uint16_t ReadValue() const;
    void WriteValue(uint16_t value);

private:
    void Show(HWND dialog);

    Kind kind_;
    int opener_ = 0;
    std::unique_ptr<GModalDialog> dialog_;
};

// A control of a named feature whose kind is fixed unless the builder gives another.
template <GFeatureControl::Kind Default>
class GKindControl : public GFeatureControl {
public:
    GKindControl(GFeature* binding, const DialogItem* items, Kind kind = Default)
        : GFeatureControl(binding, items, kind)
    {
    }
    GKindControl(GFeature* binding, const DialogItem* items, GModalDialog* dialog)
        : GFeatureControl(binding, items, dialog)
    {
    }
};
