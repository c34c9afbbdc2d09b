#include "printer/GNewHandler.h"

#include "model/GCriticalError.h"
#include "model/GLock.h"
#include "printer/GOSFactory.h"

#include <new>

namespace {

GLock* g_lock = nullptr;
char* g_reserve = nullptr;
uint32_t g_reserveSize = 1024;
std::new_handler g_previous = nullptr;
bool g_installed = false;

void Acquire()
{
    if (g_lock && g_lock->Acquire() != 0)
        ReportCriticalError(2, 301, "newhndlr", 0, "");
}

void Release()
{
    if (g_lock && g_lock->Release() == -2)
        ReportCriticalError(2, 302, "newhndlr", 0, "");
}

// Allocates without coming back into the handler: a reserve that cannot be had is
// simply missing.
char* NewReserve(uint32_t size) { return new (std::nothrow) char[size]; }

// Keeps a new reserve under the lock, freeing one that appeared meanwhile.
void KeepReserve(char* reserve)
{
    Acquire();
    delete[] g_reserve;
    g_reserve = reserve;
    Release();
}

} // namespace

void InstallNewHandler(uint32_t reserveSize)
{
    if (!g_lock) {
        GOSFactory* services = GOSFactory::Instance();
        if (!services)
            return;
        services->EnsureLock(&g_lock);
    }
    Acquire();
    if (!g_installed) {
        g_previous = std::set_new_handler(OutOfMemoryHandler);
        g_installed = true;
    }
    if (reserveSize)
        g_reserveSize = reserveSize;
    const uint32_t size = g_reserveSize;
    Release();
    KeepReserve(NewReserve(size));
}

void RemoveNewHandler()
{
    Acquire();
    if (g_installed) {
        std::set_new_handler(g_previous);
        g_previous = nullptr;
        g_installed = false;
    }
    delete[] g_reserve;
    g_reserve = nullptr;
    Release();
    delete g_lock;
    g_lock = nullptr;
}

void OutOfMemoryHandler()
{
    Acquire();
    if (!g_reserve)
        ReportCriticalError(2, 101, "newhndlr", 449, "");
    delete[] g_reserve;
    g_reserve = nullptr;
    const uint32_t size = g_reserveSize;
    Release();
    ReleaseDriverMemory();
    KeepReserve(NewReserve(size));
}

void ReleaseDriverMemory()
{
    const GDriverServerHooks hooks = GetDriverServerHooks();
    if (hooks.freeMemory && hooks.freeMemory())
        return;
    // The report tears the server down before it ends the process.
    ReportCriticalError(2, 101, "gbnewhnd", 148, "");
}

const void* NewHandlerReserve() { return g_reserve; }
uint32_t NewHandlerReserveSize() { return g_reserveSize; }
