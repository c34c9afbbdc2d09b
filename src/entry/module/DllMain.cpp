// Module entry: the loader's process notifications run the module's attach and detach
// sequences. A thread that ends hands its private heap back to the module's pool; an
// unload that is not the process's end closes the pool, whose heaps go as their last
// blocks are freed (the runtime's static destructors free theirs after this returns).
#include "entry/module/ModuleLifetime.h"
#include "printer/GThreadHeaps.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return ModuleLifetime::Attach(instance);
    case DLL_PROCESS_DETACH: {
        const BOOL detached = ModuleLifetime::Detach(reserved != nullptr);
        if (!reserved)
            GThreadHeaps::Close();
        return detached;
    }
    case DLL_THREAD_DETACH:
        GThreadHeaps::ThreadEnds();
        return TRUE;
    default:
        return TRUE;
    }
}
