#include "entry/extensions/ExtensionContextRegistry.h"

#include <map>
#include <mutex>

namespace {

// Made when the module loads and never destroyed: hosts owned by objects that outlive
// the module's static destructors still leave the registry safely.
std::mutex* const g_lock = new std::mutex;
std::map<const void*, ExtensionContextRegistry::Kind>* const g_live =
    new std::map<const void*, ExtensionContextRegistry::Kind>;

std::mutex& Lock() { return *g_lock; }
std::map<const void*, ExtensionContextRegistry::Kind>& Live() { return *g_live; }

} // namespace

void ExtensionContextRegistry::Enter(const void* context, Kind kind)
{
    std::lock_guard<std::mutex> hold(Lock());
    Live()[context] = kind;
}

void ExtensionContextRegistry::Leave(const void* context)
{
    std::lock_guard<std::mutex> hold(Lock());
    Live().erase(context);
}

bool ExtensionContextRegistry::IsLive(const void* context, Kind kind)
{
    if (!context)
        return false;
    std::lock_guard<std::mutex> hold(Lock());
    auto found = Live().find(context);
    return found != Live().end() && found->second == kind;
}
