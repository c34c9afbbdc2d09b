#include "entry/extensions/ExtensionContextRegistry.h"

#include "foundation/RWLastingObject.h"
#include "printer/GPlatformCalls.h"

#include <map>

namespace {

// Never destroyed: hosts owned by objects that outlive the module's static destructors
// still leave the registry safely. An empty map holds no block.
SRWLOCK g_lock = SRWLOCK_INIT;
RWLastingObject<std::map<const void*, ExtensionContextRegistry::Kind>> g_live;

std::map<const void*, ExtensionContextRegistry::Kind>& Live() { return g_live.Get(); }

} // namespace

void ExtensionContextRegistry::Enter(const void* context, Kind kind)
{
    GPlatformCalls::LockGuard hold(g_lock, false);
    Live()[context] = kind;
}

void ExtensionContextRegistry::Leave(const void* context)
{
    GPlatformCalls::LockGuard hold(g_lock, false);
    Live().erase(context);
}

bool ExtensionContextRegistry::IsLive(const void* context, Kind kind)
{
    if (!context)
        return false;
    GPlatformCalls::LockGuard hold(g_lock, false);
    auto found = Live().find(context);
    return found != Live().end() && found->second == kind;
}
