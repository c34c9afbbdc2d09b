// The control of one feature's group of items, by kind, each showing and writing the
// feature's own value: a check box writes 0 or 1; a radio group the value its chosen
// button stands for; an edit field its number, with the spin control of the table
// attached to it: the text stays as typed, and is brought within the feature's bounds
// (0, an empty field or one past the largest giving the nearest bound) when the field is
// left or the sheet or dialog commits, so that what is committed is what the field
// shows (a control whose number is shown in another unit or kept in another setting
// says so through the number hooks, and settles the same way); a list holds the
// feature's choices with the current one selected and writes the chosen one's value; a
// button opens its sub-dialog. OK and Cancel are never taken: they close the dialog the
// control sits on; an OK in the table of a control whose feature is absent is disabled,
// as there is nothing to confirm.
// The items of each role are found by their window class and style, so a label in the
// table is passed over. Items whose feature the settings lack are disabled, and so are a
// push button of the table that opens nothing and an item of another kind that the
// control does not drive. Works without a binding (it then reads 0
// and writes nothing) and owns its sub-dialog.
#pragma once

#include "ui/framework/GDialogControl.h"
#include "ui/framework/GModalDialog.h"
#include "ui/framework/GValueFeature.h"

#include <initializer_list>
#include <memory>

class GFeatureControl : public GDialogControl {
public:
    enum Kind { kInert, kCheck, kRadio, kEdit, kList, kButton };

    GFeatureControl(GFeature* binding, const DialogItem* items, Kind kind);
    // A button that opens the dialog (null: the button does nothing and is disabled).
    GFeatureControl(GFeature* binding, const DialogItem* items, GModalDialog* dialog);

    Kind GetKind() const { return kind_; }
    // The button that opens the sub-dialog when it is not the first of the table.
    void SetOpener(int itemId) { opener_ = itemId; }
    GModalDialog* GetDialog() const { return dialog_.get(); }
    // The values the radio buttons stand for, in table order. A button stands for no
    // position: one without a value writes nothing and is disabled.
    void SetRadioValues(std::initializer_list<uint16_t> values) { radioValues_.assign(values); }
    uint16_t RadioValue(size_t index) const { return index < radioValues_.size() ? radioValues_[index] : 0; }
    // The range setting of the printer configuration that bounds the number when the
    // binding has no bounds of its own.
    void SetRangeFeature(uint16_t featureId) { rangeFeature_ = featureId; }
    // Whether the radio button at the index belongs to the group of the feature: those
    // the values table names.
    bool InGroup(size_t index) const { return index < radioValues_.size(); }
    // Whether the control has something to do: its feature is present and, for a list,
    // offers a choice; a button opens a dialog with such a control.
    virtual bool IsLive() const;
    // Whether a control of the dialog has something to do.
    static bool HasLiveControl(const GDialogBase* dialog);
    int OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The items of the table that have the role, in table order.
    std::vector<int> ItemsOfKind(HWND dialog, Kind kind) const;
    // Fills a list (combo box or list box) with the choices and selects the one of the
    // value; none is selected when no choice has it. The list is enabled when asked and
    // it has choices.
    static void FillList(HWND dialog, int itemId, const std::vector<FeatureChoice>& choices, uint16_t value,
                         bool enable = true);
    // The value of the list's selected choice: 1 with it, 0 when nothing is selected.
    static int SelectedValue(HWND dialog, int itemId, uint16_t& value);

protected:
    // What a click on the button does: runs the sub-dialog over the page.
    virtual void OnButton(HWND dialog);
    // Whether a click on the opener does something.
    virtual bool Opens() const { return dialog_ != nullptr; }
    // Whether the control drives the item although it is not of the control's kind.
    virtual bool DrivesItem(int itemId) const { return false; }
    // Shows the feature's value in the items (WM_INITDIALOG).
    virtual void Show(HWND dialog);
    // A command of one of the table's items: 1 when the control took it.
    virtual int OnCommand(HWND dialog, int id, UINT code);
    // At a commit (the sheet's OK or Apply, a move to another page, a dialog's OK): an
    // edit field shows what the feature then holds, as when the field is left.
    virtual void Settle(HWND dialog);
    // The items of the kind of this control, in table order.
    std::vector<int> RoleItems(HWND dialog) const { return ItemsOfKind(dialog, kind_); }
    GValueFeature* Value() const { return dynamic_cast<GValueFeature*>(GetBinding()); }
    // 1 with the value; 0 when the feature is absent (or there is no binding).
    int ReadValue(uint16_t& value) const;
    uint16_t ReadValue() const;
    void WriteValue(uint16_t value);
    // The bounds of the number: the binding's, else those of the configuration's range
    // setting, else any 16-bit value.
    void Bounds(int32_t& minimum, int32_t& maximum) const;
    // Disables the items of the kinds this control drives when its feature is absent,
    // the push buttons of the table that open nothing and the items of other kinds that
    // it does not drive.
    void DisableDeadItems(HWND dialog, bool featurePresent);

    // The number of an edit field, by its hooks: its bounds, the number its text stands
    // for, the text of a number, and the setting that holds it. By default a whole number
    // of the binding within Bounds(); a control that shows its number in another unit or
    // keeps it in another setting answers them for its field.
    virtual void NumberBounds(HWND dialog, int id, int32_t& minimum, int32_t& maximum) const;
    // The number the field's text stands for, not yet within the bounds: false when the
    // text is no number.
    virtual bool FieldValue(HWND dialog, int id, int32_t& value) const;
    virtual void FormatNumber(HWND dialog, int id, int32_t value, wchar_t* text, size_t size) const;
    // 1 with the number held; 0 when its setting is absent.
    virtual int ReadNumber(HWND dialog, int id, int32_t& value) const;
    virtual void WriteNumber(HWND dialog, int id, int32_t value);
    // Shows the number held in the field in its plain form, with the spin control (0:
    // none) given the bounds and position; a number out of the bounds shows as the
    // nearest bound, which the setting then holds, as no change of the user's. False
    // when the setting is absent.
    bool ShowNumber(HWND dialog, int id, int spinId);

private:
    // The edit field's number within the bounds; an empty field or one without a number
    // counts as 0.
    int32_t FieldNumber(HWND dialog, int id) const;
    // The number within the bounds written into the field in its plain form, the field
    // limited to one character more than the widest number within the bounds; answers
    // the number written.
    int32_t PutNumber(HWND dialog, int id, int spinId, int32_t value);
    // What was typed: the setting takes the number within the bounds; the text stays.
    void TakeNumber(HWND dialog, int id);
    // The field left or committed: it shows the number within the bounds in its plain
    // form, and the setting holds that number.
    void SettleNumber(HWND dialog, int id);

    Kind kind_;
    int opener_ = 0;
    std::unique_ptr<GModalDialog> dialog_;
    std::vector<uint16_t> radioValues_;
    uint16_t rangeFeature_ = 0;
    // Set while the control writes its own field: that text is no change of the user's.
    bool writingField_ = false;
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
