// The view side of a group of dialog items: drives the items of its table, ended by
// {0, 0}, over its binding (which may be null). Owns the binding.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ui/framework/GFeature.h"

struct DialogItem {
    int32_t itemId;
    int32_t helpId;  // -1: none
};

// Sent to a dialog or page so that every control shows the settings again: a change one
// control made (a sub-dialog confirmed with OK) may concern the items of another.
constexpr UINT kShowSettingsMessage = WM_APP + 0x2A0;

class GDialogControl {
public:
    GDialogControl(GFeature* binding, const DialogItem* items);
    virtual ~GDialogControl() = default;

    GFeature* GetBinding() const { return binding_.get(); }
    const std::vector<DialogItem>& GetItems() const { return items_; }
    // Every message of the dialog the control sits on; 1 when the control handled it.
    virtual int OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) { return 0; }

private:
    std::unique_ptr<GFeature> binding_;
    std::vector<DialogItem> items_;
};
