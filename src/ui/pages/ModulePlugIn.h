// The module's own UI plug-in: counts and builds the module's pages, shows the manual
// duplex instructions, and copies the device configuration's installed options into the
// settings. The UI_* exports call these.
#pragma once

#include "entry/sheet/GUIData.h"

class GPropertyPage;
class GSheetContext;

namespace ModulePlugIn {

constexpr uint16_t kModalMode = 0x789A;
// The dialog of the manual duplex instructions and its help id.
constexpr uint16_t kDuplexDialog = 7400;
constexpr uint32_t kDuplexHelpId = 1218;
// The conflict rules: one watching the Finishing page, then the document set of 20, one
// more in seventeenth place for a PCL5e writer.
constexpr uint32_t kFinishingRuleKey = 0x40000000;
constexpr uint32_t kDocumentRules = 20;

int16_t Initialize(GUIData* data, uint16_t firstIndexOrMode);
int16_t Destroy(GUIData* data);
int16_t ConfigToSettings(GUIData* data);

// A page builder: fills the entry and returns its page (null when it could not).
typedef GPropertyPage* (*PageBuilder)(QZPageEntry* entry, GSheetContext* context, bool hasHelp, GObjectBase* writer);

}  // namespace ModulePlugIn
