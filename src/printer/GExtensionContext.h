// The host of a printer's extension modules as the driver core and the pipeline see it:
// the four hooks the extension page filters call. The host itself lives with the entry
// layer, which registers the maker that each driver object calls when it is built; a
// program that links no host gives its driver objects none.
#pragma once

#include <cstdint>

class GCommand;
class GDocumentEnd;
class GDocumentStart;
class GDriverObject;

class GExtensionContext {
public:
    using Maker = GExtensionContext* (*)(GDriverObject* owner);

    virtual ~GExtensionContext();

    // Loads the rendering modules of the printer's registered extensions and puts their
    // job data into the document start's settings.
    virtual void LoadForDocument(GDocumentStart& command) = 0;
    // Puts the modules' closing data into the document end's settings and unloads them.
    virtual void EndDocument(GDocumentEnd& command) = 0;
    // The command to pass on in place of a page start or end: the command itself, or a
    // new composite holding it and the modules' bytes (filter 0 first, 1 second).
    virtual GCommand* StartHook(GCommand* pageStart, uint16_t filter) = 0;
    virtual GCommand* EndHook(GCommand* pageEnd, uint16_t filter) = 0;

    // The maker from the entry layer; the last one registered counts.
    static void RegisterMaker(Maker maker);
    // A new host for the driver object; null when no maker is registered.
    static GExtensionContext* Make(GDriverObject* owner);
};
