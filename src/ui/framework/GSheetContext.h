// What one sheet or dialog shares among its pages: the writable settings view, the
// conflict rules (owned, evaluated once at the first page message), the change
// transaction and its owner window, the help file and the device's quick sets. Every
// page message goes on to the record's hook.
#pragma once

#include "entry/sheet/GUIData.h"
#include "ui/framework/GConflictRule.h"
#include "ui/framework/GSettingsView.h"

#include <memory>
#include <vector>

class GSheetContext {
public:
    // The help file beside the module; none is shipped, so help is offered only where one
    // has been put.
    static constexpr const wchar_t* kHelpFileName = L"qzui32.hlp";

    explicit GSheetContext(GUIData* data);
    GSheetContext(const GSheetContext&) = delete;
    GSheetContext& operator=(const GSheetContext&) = delete;
    virtual ~GSheetContext();

    GUIData* GetGUIData() const { return data_; }
    GSettingsView& GetSettings() { return settings_; }
    // Takes ownership; a null rule is ignored.
    void AddRule(GConflictRule* rule);
    size_t RuleCount() const { return rules_.size(); }
    // 1 when the rule with the key has locked something.
    bool IsRuleLocking(uint32_t key) const;
    uint32_t Evaluations() const { return evaluations_; }

    void OpenTransaction(HWND owner);
    HWND GetTransactionOwner() const { return owner_; }

    const RWWString& GetHelpFileName() const { return helpFile_; }
    // Whether the help file was found when the sheet was made: without it no page or
    // dialog offers help.
    bool HasHelpFile() const { return helpFound_; }
    // The device quick sets read back from the printer data, owned; null when none.
    GObjectBase* GetQuicksets() const { return quicksets_.get(); }

    // A page message: evaluates the rules before the first, then hands it to the hook.
    uint16_t OnPageMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    GUIData* data_;
    GSettingsView settings_;
    std::vector<std::unique_ptr<GConflictRule>> rules_;
    bool evaluated_ = false;
    uint32_t evaluations_ = 0;
    HWND owner_ = nullptr;
    RWWString helpFile_;
    bool helpFound_ = false;
    std::unique_ptr<GObjectBase> quicksets_;
};
