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

// The entry is made before the lock: an allocation that failed under it would run the
// out-of-memory handler, which deletes spare driver objects, whose hosts leave this
// registry through the same lock.
void ExtensionContextRegistry::Enter(const void* context, Kind kind)
{
    std::map<const void*, Kind> made;
    made.emplace(context, kind);
    auto entry = made.extract(context);
    GPlatformCalls::LockGuard hold(g_lock, false);
    const auto inserted = Live().insert(std::move(entry));
    if (!inserted.inserted)
        inserted.position->second = kind;
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
