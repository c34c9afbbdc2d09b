// Module entry: the loader's process notifications run the module's attach and detach
// sequences. The module allocates through the runtime's heap only, so nothing it made
// outlives an unload once detach has emptied the module's tables and shut the driver
// server down.
#include "entry/module/ModuleLifetime.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return ModuleLifetime::Attach(instance);
    case DLL_PROCESS_DETACH:
        return ModuleLifetime::Detach(reserved != nullptr);
    default:
        return TRUE;
    }
}
