// What the UI modules' calls back into the driver read: the sheet they were called for,
// the registered descriptors and the settings copies the UI host holds.
#pragma once

#include "entry/extensions/ExtensionInterface.h"
#include "foundation/RWCString.h"

#include <cstdint>

struct GUIData;

struct UIExtensionCallContext {
    // The sheet record the host was last called with; not owned.
    GUIData* guiData = nullptr;
    // The host's descriptors; not owned.
    const ExtensionDescriptor* descriptors[kExtensionSlots] = {};
    // The raw settings bytes of each slot.
    RWCString settings[kExtensionSlots];
    uint16_t count = 0;
};
