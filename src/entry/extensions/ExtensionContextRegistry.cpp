#include "entry/extensions/ExtensionContextRegistry.h"

#include "foundation/RWLastingObject.h"

#include <windows.h>

#include <map>

namespace {

// Never destroyed: hosts owned by objects that outlive the module's static destructors
// still leave the registry safely. An empty map holds no block.
SRWLOCK g_lock = SRWLOCK_INIT;
RWLastingObject<std::map<const void*, ExtensionContextRegistry::Kind>> g_live;

class RegistryLock {
public:
    RegistryLock() { AcquireSRWLockExclusive(&g_lock); }
    ~RegistryLock() { ReleaseSRWLockExclusive(&g_lock); }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
};

std::map<const void*, ExtensionContextRegistry::Kind>& Live() { return g_live.Get(); }

} // namespace

void ExtensionContextRegistry::Enter(const void* context, Kind kind)
{
    RegistryLock hold;
    Live()[context] = kind;
}

void ExtensionContextRegistry::Leave(const void* context)
{
    RegistryLock hold;
    Live().erase(context);
}

bool ExtensionContextRegistry::IsLive(const void* context, Kind kind)
{
    if (!context)
        return false;
    RegistryLock hold;
    auto found = Live().find(context);
    return found != Live().end() && found->second == kind;
}
