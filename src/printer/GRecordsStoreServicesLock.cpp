// The records store's lock as the system services make it: one lock, made once through
// EnsureLock when the store is first used, deleted at unload.
#include "model/GRecordsStoreLock.h"
#include "model/GCriticalError.h"
#include "model/GLock.h"
#include "printer/GOSFactory.h"

namespace {

GLock* g_lock = nullptr;

bool MakeLock()
{
    if (GOSFactory* services = GOSFactory::Instance())
        services->EnsureLock(&g_lock);
    return g_lock != nullptr;
}

void AcquireLock()
{
    if (g_lock->Acquire() != 0)
        ReportCriticalError(2, 301, "diskrecs", 20, "");
}

void ReleaseLock()
{
    if (g_lock->Release() == -2)
        ReportCriticalError(2, 302, "diskrecs", 26, "");
}

const GRecordsStoreLockHooks g_hooks = {&MakeLock, &AcquireLock, &ReleaseLock};

struct HookInstaller {
    HookInstaller() { GSetRecordsStoreLockHooks(&g_hooks); }
    ~HookInstaller()
    {
        GSetRecordsStoreLockHooks(nullptr);
        delete g_lock;
        g_lock = nullptr;
    }
} g_installer;

} // namespace
