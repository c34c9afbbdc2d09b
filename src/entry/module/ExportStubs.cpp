// The extension interface as far as the module offers it yet: every call answers
// "unsupported". The UI plug-in interface lives with the pages (src/ui/pages).
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
