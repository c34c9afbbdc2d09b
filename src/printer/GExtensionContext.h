// The driver object's link to the extension interface: it registers and unregisters the
// extensions named to the driver object, and the extension page filters reach the
// rendering modules through its four hooks. The entry layer, which holds the extension
// manager, supplies the real context through a maker; a driver object made while no maker
// is set has no context.
#pragma once

#include "foundation/RWWString.h"

#include <cstdint>

class GCommand;
class GDocumentEnd;
class GDocumentStart;
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

    // The rendering side; a context without modules changes nothing. The document start
    // loads the modules and takes their job data into its settings; the document end
    // takes their closing data and unloads them.
    virtual void LoadForDocument(GDocumentStart& command);
    virtual void EndDocument(GDocumentEnd& command);
    // The command to pass on in place of a page start or end: the command itself, or a
    // new composite holding it and the modules' bytes (filter 0 first, 1 second).
    virtual GCommand* StartHook(GCommand* pageStart, uint16_t filter);
    virtual GCommand* EndHook(GCommand* pageEnd, uint16_t filter);

    // The maker every later driver object uses; null for none. Answers the one before.
    static Maker SetMaker(Maker maker);
    // A new context for the driver object, or null without a maker.
    static GExtensionContext* Make(GDriverObject& owner);
};
