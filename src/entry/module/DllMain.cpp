// Module entry: the loader's process notifications run the module's attach and detach
// sequences; thread notifications are switched off and change nothing.
#include "entry/module/ModuleLifetime.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(instance);
        return ModuleLifetime::Attach(instance);
    case DLL_PROCESS_DETACH:
        return ModuleLifetime::Detach(reserved != nullptr);
    default:
        return TRUE;
    }
}
