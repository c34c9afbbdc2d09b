// The page builders: each fills one page entry (title, template, procedure, help) and
// assembles the page's controls from its table, row by row: a binding over the sheet
// context, a control over the binding and the row's items, added to the page or to the
// sub-dialog the row belongs to. Document pages end with the common tail (About hotspot,
// preview, quick sets, two notices).
#pragma once

#include "entry/sheet/GUIData.h"
#include "ui/framework/GDialogControl.h"

#include <cstdint>
#include <vector>

class GObjectBase;
class GPropertyPage;
class GSheetContext;

namespace PageBuilders {

// The Print Quality Details dialog for each writer; the other writers have none.
constexpr uint16_t kCheetahDetailsDialog = 9000;
constexpr uint16_t kPcl5eDetailsDialog = 13001;
// The About hotspot of every page.
constexpr uint16_t kAboutItem = 11525;

GPropertyPage* BuildBasics(QZPageEntry* entry, GSheetContext* context, bool hasHelp);
GPropertyPage* BuildFinishing(QZPageEntry* entry, GSheetContext* context, bool hasHelp, GObjectBase* writer);
GPropertyPage* BuildEffects(QZPageEntry* entry, GSheetContext* context, bool hasHelp);
GPropertyPage* BuildPaper(QZPageEntry* entry, GSheetContext* context, bool hasHelp);
// Leaves the help-id table to the caller.
GPropertyPage* BuildOutput(QZPageEntry* entry, GSheetContext* context, bool hasHelp);
// Sets feature 1033 from the user's "LocalJobStorage" before the page is made.
GPropertyPage* BuildJobStorage(QZPageEntry* entry, GSheetContext* context, bool hasHelp);
GPropertyPage* BuildColor(QZPageEntry* entry, GSheetContext* context, bool hasHelp, GObjectBase* writer);
GPropertyPage* BuildNTForms(QZPageEntry* entry, GSheetContext* context, bool hasHelp);
GPropertyPage* BuildConfigure(QZPageEntry* entry, GSheetContext* context, bool hasHelp);

// The items each template must hold: every page's and sub-dialog's rows, the tail
// included, by dialog id (the two Print Quality Details dialogs each with its rows).
struct TemplateItems {
    uint16_t dialogId;
    std::vector<DialogItem> items;
};
std::vector<TemplateItems> Templates();

// A heap copy of a title that the sheet glue frees with the pages.
wchar_t* CopyTitle(uint32_t stringId);

}  // namespace PageBuilders
