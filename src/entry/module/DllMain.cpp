// Module entry: the loader's process and thread notifications. Attach makes the
// module's system services (unless some already exist), the out-of-memory handler with
// its reserve, hands the services the module handle and makes the driver server; attach
// fails without services or server; the server's "close all font files" releases the
// font file pool. Detach deletes the server with every driver object
// it holds, kept ones included, then removes the handler.
#include "entry/module/GUIOSFactory.h"
#include "graphics/GTTFontFilePool.h"
#include "printer/GDriverServer.h"
#include "printer/GNewHandler.h"

#include <windows.h>

#include <cstdint>
#include <new>

namespace {
HINSTANCE g_module = nullptr;
const uint32_t kNewHandlerReserve = 1024;

// The server, unless one exists already; false when none could be made with its locks.
bool MakeDriverServer()
{
    if (GDriverServer::Instance())
        return true;
    GDriverServer* server = new (std::nothrow) GDriverServer;
    if (server && server->IsUsable())
        return true;
    delete server;
    return false;
}
void CloseFontFiles()
{
    if (GTTFontFilePool* pool = GTTFontFilePool::Existing())
        pool->ReleaseAll();
}
} // namespace

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
        if (!MakeDriverServer()) {
            RemoveNewHandler();
            return FALSE;
        }
        GDriverServer::SetFontFileCloser(&CloseFontFiles);
        break;
    case DLL_PROCESS_DETACH:
        delete GDriverServer::Instance();
        RemoveNewHandler();
        g_module = nullptr;
        break;
    default:
        break;
    }
    return TRUE;
}
