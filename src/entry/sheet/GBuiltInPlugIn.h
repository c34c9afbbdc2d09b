// A UI plug-in built into the module instead of loaded from a file: the sheet glue calls
// its four operations where it would call a plug-in library's UI_INITIALIZE, UI_DESTROY,
// UI_CONFIGTOSETTINGS and UI_SETTINGSTOCONFIG. The one such plug-in, the extension UI
// host, lives in a later folder and registers its maker here.
#pragma once

#include "entry/sheet/GUIData.h"

#include <cstdint>

class GBuiltInPlugIn {
public:
    // Makes the built-in plug-in of the plug-in name "GExtensionUIManager".
    using Maker = GBuiltInPlugIn* (*)();

    virtual ~GBuiltInPlugIn() = default;

    virtual int16_t Initialize(GUIData* data, uint16_t firstIndexOrMode) = 0;
    virtual int16_t Destroy(GUIData* data) = 0;
    virtual int16_t ConfigToSettings(GUIData* data) = 0;
    virtual int16_t SettingsToConfig(uint32_t value) = 0;

    // The maker of the extension host; null until the host's library registers it.
    static void SetExtensionHostMaker(Maker maker) { ExtensionHostMaker() = maker; }
    static Maker& ExtensionHostMaker()
    {
        static Maker maker = nullptr;
        return maker;
    }
};
