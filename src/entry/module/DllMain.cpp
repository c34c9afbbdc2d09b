// Module entry: the loader's process notifications run the module's attach and detach
// sequences. The module allocates through the runtime's heap only, each thread keeping a
// few freed blocks for its next allocations: a thread that ends gives its kept blocks
// back, and an unload that is not the process's end gives back every thread's, so
// nothing the module made outlives it once detach has emptied the module's tables and
// shut the driver server down (the runtime's static destructors free theirs after this
// returns, straight to the heap).
//
// The C++ runtime linked into the module keeps a pool for exceptions thrown while memory
// is short, made at each load and never freed by the runtime itself: an unload frees it
// last. At the process's end nothing is freed: the process's memory goes as a whole, and
// other threads may still be running.
//
// The handles the runtime's threads library left open and the thread-local slots the module
// and its runtime took are given back after all of this and after the runtime's static
// destructors, by the module's entry (ModuleEntry.cpp).
#include "entry/module/ModuleBlockCache.h"
#include "entry/module/ModuleLifetime.h"

#include <windows.h>

namespace __gnu_cxx {
// The runtime's release of its own lasting blocks (the emergency exception pool).
void __freeres();
} // namespace __gnu_cxx

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        ModuleBlockCache::Open();
        return ModuleLifetime::Attach(instance);
    case DLL_PROCESS_DETACH: {
        const BOOL detached = ModuleLifetime::Detach(reserved != nullptr);
        if (!reserved) {
            ModuleBlockCache::Close();
            __gnu_cxx::__freeres();
        }
        return detached;
    }
    case DLL_THREAD_DETACH:
        ModuleBlockCache::ThreadEnds();
        return TRUE;
    default:
        return TRUE;
    }
}
