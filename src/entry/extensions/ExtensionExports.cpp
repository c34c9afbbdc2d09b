#include "entry/extensions/ExtensionExports.h"

#include "entry/extensions/ExtensionContextRegistry.h"
#include "entry/extensions/ExtensionInterface.h"
#include "entry/extensions/GExtensionManager.h"
#include "entry/extensions/GUIExtensionHost.h"

namespace {

// The host behind a context a module passed back; null for anything that is not a live
// host of the kind.
GUIExtensionHost* UIHost(void* context)
{
    return ExtensionContextRegistry::IsLive(context, ExtensionContextRegistry::kUIHost)
               ? static_cast<GUIExtensionHost*>(context)
               : nullptr;
}

GExtensionManager* Manager(void* context)
{
    return ExtensionContextRegistry::IsLive(context, ExtensionContextRegistry::kRenderingHost)
               ? static_cast<GExtensionManager*>(context)
               : nullptr;
}

} // namespace

extern "C" uint16_t WINAPI QZDrv_QueryInterface(uint16_t interfaceId, void** table)
{
    if (interfaceId != kDriverInterfaceId)
        return kExtensionNotSupported;
    if (!table)
        return kExtensionUnavailable;
    table[0] = reinterpret_cast<void*>(&QZDrv_UIGetValue);
    table[1] = reinterpret_cast<void*>(&QZDrv_UIGetExtSettings);
    table[2] = reinterpret_cast<void*>(&QZDrv_UISetExtSettings);
    return kExtensionOk;
}

extern "C" uint16_t WINAPI QZDrv_UIGetValue(uint16_t valueId, uint16_t* out, void* context)
{
    GUIExtensionHost* host = UIHost(context);
    return host ? host->GetValue(valueId, out) : uint16_t(kExtensionUnavailable);
}

extern "C" uint16_t WINAPI QZDrv_UIGetExtSettings(uint8_t* buffer, uint16_t size, const char* name, void* context)
{
    GUIExtensionHost* host = UIHost(context);
    return host ? host->ReadSettings(buffer, size, name) : uint16_t(kExtensionUnavailable);
}

extern "C" uint16_t WINAPI QZDrv_UISetExtSettings(const uint8_t* bytes, uint16_t length, const char* name,
                                                  void* context)
{
    GUIExtensionHost* host = UIHost(context);
    return host ? host->WriteSettings(bytes, length, name) : uint16_t(kExtensionUnavailable);
}

extern "C" uint16_t WINAPI QZDrv_GetValue(uint16_t valueId, uint16_t* out, void* context)
{
    GExtensionManager* manager = Manager(context);
    return manager ? manager->GetValue(valueId, out, nullptr) : uint16_t(kExtensionUnavailable);
}

extern "C" uint16_t WINAPI QZDrv_GetExtSettings(uint8_t* buffer, uint16_t size, const char* name, void* context)
{
    GExtensionManager* manager = Manager(context);
    return manager ? manager->ReadSettings(buffer, size, name) : uint16_t(kExtensionUnavailable);
}

extern "C" uint16_t WINAPI QZDrv_SetExtSettings(void*, uint32_t, void*, void*) { return kExtensionNotSupported; }
