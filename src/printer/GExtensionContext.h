// The driver object's link to the extension interface: it registers and unregisters the
// extensions named to the driver object. The entry layer, which holds the extension
// manager, supplies the real context through a maker; a driver object made while no maker
// is set has no context.
#pragma once

#include "foundation/RWWString.h"

class GDriverObject;

class GExtensionContext {
public:
    using Maker = GExtensionContext* (*)(GDriverObject& owner);

    GExtensionContext() = default;
    GExtensionContext(const GExtensionContext&) = delete;
    GExtensionContext& operator=(const GExtensionContext&) = delete;
    virtual ~GExtensionContext();

    // Each answers what registering or unregistering the named extension gave.
    virtual int Register(const RWWString& name) = 0;
    virtual int Unregister(const RWWString& name) = 0;

    // The maker every later driver object uses; null for none. Answers the one before.
    static Maker SetMaker(Maker maker);
    // A new context for the driver object, or null without a maker.
    static GExtensionContext* Make(GDriverObject& owner);
};
