// The extension interface and the UI plug-in interface as far as the module offers them
// yet: the extension calls answer "unsupported", the plug-in interface reports its
// version and builds no pages.
#include "entry/module/EntryPoints.h"

extern "C" uint32_t WINAPI QZDrv_QueryInterface(uint16_t, void*) { return kExtensionUnsupported; }
extern "C" uint32_t WINAPI QZDrv_UIGetValue(uint16_t, void*, void*) { return kExtensionUnsupported; }
extern "C" uint32_t WINAPI QZDrv_UIGetExtSettings(void*, uint16_t, const char*, void*) { return kExtensionUnsupported; }
extern "C" uint32_t WINAPI QZDrv_UISetExtSettings(const void*, uint16_t, const char*, void*)
{
    return kExtensionUnsupported;
}
extern "C" uint32_t WINAPI QZDrv_GetValue(uint16_t, void*, void*) { return kExtensionUnsupported; }
extern "C" uint32_t WINAPI QZDrv_GetExtSettings(void*, uint16_t, const char*, void*) { return kExtensionUnsupported; }
extern "C" uint32_t WINAPI QZDrv_SetExtSettings(void*, uint32_t, void*, void*) { return kExtensionUnsupported; }

extern "C" uint32_t WINAPI UI_INTERFACEVERSION() { return 2; }
extern "C" int16_t WINAPI UI_INITIALIZE(void*, uint16_t) { return 0; }
extern "C" int16_t WINAPI UI_DESTROY(void*) { return 0; }
extern "C" int16_t WINAPI UI_CONFIGTOSETTINGS(void*) { return 0; }
extern "C" int16_t WINAPI UI_SETTINGSTOCONFIG(uint32_t) { return 0; }
