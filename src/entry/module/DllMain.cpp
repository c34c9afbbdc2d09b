// Module entry: the loader's process and thread notifications. Attach makes the
// module's system services (unless some already exist), the out-of-memory handler with
// its reserve, and hands the services the module handle; attach fails without services.
#include "entry/module/GUIOSFactory.h"
#include "printer/GNewHandler.h"

#include <windows.h>

#include <cstdint>
#include <new>

namespace {
HINSTANCE g_module = nullptr;
const uint32_t kNewHandlerReserve = 1024;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_module = instance;
        DisableThreadLibraryCalls(instance);
        if (!GOSFactory::Instance() && !new (std::nothrow) GUIOSFactory)
            return FALSE;
        InstallNewHandler(kNewHandlerReserve);
        GOSFactory::Instance()->SetModuleHandle(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(instance)));
        break;
    case DLL_PROCESS_DETACH:
        RemoveNewHandler();
        g_module = nullptr;
        break;
    default:
        break;
    }
    return TRUE;
}
