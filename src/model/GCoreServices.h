// The few system services the model and graphics use: locks, memory streams, the OS
// version and the platform's glyph source. The system services (GOSFactory) install an
// implementation while they are live, so the folders below them reach the platform without
// naming it. Null when no system services exist; callers then fall back as they would
// without services.
#pragma once

#include <cstdint>

class GGlyphSource;
class GInStreamHolder;
class GLock;
class GOutStreamHolder;

class GCoreServices {
public:
    virtual ~GCoreServices() = default;

    virtual GLock* CreateLock() = 0;
    // Creates *lock under the services' own lock when it is still null.
    virtual void EnsureLock(GLock** lock) = 0;
    virtual void GetOSVersion(uint32_t& kind, uint32_t& version, uint32_t& build) = 0;
    virtual GInStreamHolder* OpenMemoryInputStream(const void* data, uint32_t length, int kind) = 0;
    virtual GOutStreamHolder* OpenMemoryOutputStream(void* buffer, uint32_t size, int kind) = 0;
    virtual GGlyphSource* CreateGlyphSource() = 0;

    static GCoreServices* Instance();
    // Set by the system services when they come into being; null when they go.
    static void Install(GCoreServices* services);
};
