#include "entry/extensions/ExtensionContextRegistry.h"

#include <map>
#include <mutex>

namespace {

std::mutex& Lock()
{
    static std::mutex lock;
    return lock;
}

std::map<const void*, ExtensionContextRegistry::Kind>& Live()
{
    static std::map<const void*, ExtensionContextRegistry::Kind> live;
    return live;
}

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
