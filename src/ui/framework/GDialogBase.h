// A dialog or page with controls: owns its controls, passes every message to them and
// keeps the table of context-help ids of its items.
#pragma once

#include "ui/framework/GDialogControl.h"

#include <memory>
#include <vector>

class GSheetContext;

class GDialogBase {
public:
    GDialogBase(uint16_t dialogId, GSheetContext* context, bool hasHelp, uint32_t helpId)
        : dialogId_(dialogId), context_(context), hasHelp_(hasHelp), helpId_(helpId)
    {
    }
    GDialogBase(const GDialogBase&) = delete;
    GDialogBase& operator=(const GDialogBase&) = delete;
    virtual ~GDialogBase() = default;

    // Takes ownership.
    void AddControl(GDialogControl* control);
    // A dialog this one owns without a control that opens it; takes ownership.
    void AddSubDialog(GDialogBase* dialog);
    size_t SubDialogCount() const { return subDialogs_.size(); }
    GDialogBase* GetSubDialog(size_t index) const
    {
        return index < subDialogs_.size() ? subDialogs_[index].get() : nullptr;
    }
    // The pairs {item, help id} of every control with a help id, then {0, 0}, as the
    // context help wants them.
    void BuildHelpIdTable();
    const std::vector<DWORD>& GetHelpIdTable() const { return helpIds_; }
    size_t ControlCount() const { return controls_.size(); }
    GDialogControl* GetControl(size_t index) const
    {
        return index < controls_.size() ? controls_[index].get() : nullptr;
    }

    uint16_t GetDialogId() const { return dialogId_; }
    GSheetContext* GetContext() const { return context_; }
    bool HasHelp() const { return hasHelp_; }
    uint32_t GetHelpId() const { return helpId_; }
    HWND GetWindow() const { return window_; }

protected:
    // Hands the message to every control; 1 when one handled it.
    int DispatchToControls(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;

private:
    uint16_t dialogId_;
    GSheetContext* context_;
    bool hasHelp_;
    uint32_t helpId_;
    std::vector<std::unique_ptr<GDialogControl>> controls_;
    std::vector<DWORD> helpIds_;
    std::vector<std::unique_ptr<GDialogBase>> subDialogs_;
};
