// The per-printer host of extension modules. It registers and unregisters extension
// modules in the printer's settings; at the start of a job it loads the rendering modules of the printer's registered extensions, asks them for
// data at the start and end of the job and of each page, and turns that data into job
// settings that the writers print or into pass-through commands in the command stream.
// It is also the context through which the modules read settings.
#pragma once

#include "entry/extensions/ExtensionInterface.h"
#include "foundation/RWCString.h"
#include "printer/GExtensionContext.h"

#include <cstdint>

class GDriverObject;
class GDynamicLibrary;
class GObjectBase;
class GState;

// What the value handlers and the settings reads of the modules see.
struct ExtensionCallContext {
    GDriverObject* driverObject = nullptr;
    GObjectBase* settingsRoot = nullptr;
    // The document or page command being processed; not owned.
    GCommand* currentCommand = nullptr;
    // The printer's page-description writer; not owned.
    GObjectBase* pdlWriter = nullptr;
    const ExtensionDescriptor* descriptors[4] = {};
    // The raw settings bytes of each slot.
    RWCString settings[4];
    uint16_t count = 0;
};

class GExtensionManager : public GExtensionContext {
public:
    static constexpr int kSlots = 4;

    explicit GExtensionManager(GDriverObject* owner = nullptr);
    explicit GExtensionManager(GDriverObject& owner) : GExtensionManager(&owner) {}
    GExtensionManager(const GExtensionManager&) = delete;
    GExtensionManager& operator=(const GExtensionManager&) = delete;
    // Unloads whatever a document left loaded.
    ~GExtensionManager() override;

    // Register or unregister the module of the file name (in the driver's folder) in the
    // driver's settings: a status of the extension interface. The settings' extension
    // container reaches the printer's store only with the settings' commit, so that a
    // registration the printer did not take leaves nothing behind.
    int Register(const RWWString& name) override;
    int Unregister(const RWWString& name) override;

    // The value switch: the value from the settings root when one is given (a sheet's),
    // else from the command being processed or the driver's settings. 3 for an unknown
    // id, 1 for a value not available.
    uint16_t GetValue(uint16_t valueId, uint16_t* out, GObjectBase* settingsRoot);
    // A page's question: the printer's writer is noted first, then the value is read from
    // the sheet's settings root.
    uint16_t GetValueForUI(uint16_t valueId, uint16_t* out, GObjectBase* settingsRoot);
    // The settings read of the rendering modules (see ExtensionTree::ReadSettings).
    uint16_t ReadSettings(uint8_t* buffer, uint16_t size, const char* name) const;

    void LoadForDocument(GDocumentStart& command) override;
    void EndDocument(GDocumentEnd& command) override;
    GCommand* StartHook(GCommand* pageStart, uint16_t filter) override;
    GCommand* EndHook(GCommand* pageEnd, uint16_t filter) override;

    ExtensionCallContext& GetCallContext() { return context_; }
    // The driver's query function handed to the modules' Initialize.
    void SetQueryFunction(void* query) { queryFunction_ = query; }
    // The number of extensions placed in slots for the current document.
    uint16_t GetCount() const { return count_; }
    // Whether the slot holds a loaded rendering module.
    bool IsModuleLoaded(int slot) const;
    // Whether a rendering module was looked for in the slot, loaded or not.
    bool IsModuleSought(int slot) const;

private:
    // Loads the named module and asks it for its registration table and descriptor.
    struct Registration;
    uint16_t Describe(const RWWString& name, Registration& registration);
    // The settings root of the driver and its extension container, made when missing.
    GObjectBase* Container(GObjectBase* settings);
    // The input trays (flag 1) and output bins (flag 2) a module supplies, entered into
    // or taken out of the printer's paper handling and written back to its data.
    uint16_t ApplyPaperHandling(const ExtensionRegistrationTable& table, uint32_t flags);
    uint16_t RemovePaperHandling(const ExtensionRegistrationTable& table, uint32_t flags);
    uint16_t PaperHandling(const ExtensionRegistrationTable& table, uint32_t flags, bool add);
    // The class id of the printer's writer for pass-through commands: 767 or 788, else 0.
    uint16_t WriterTarget() const;
    // Empties every slot, unloading its module.
    void ClearSlots();
    void ReadDescriptors(GObjectBase* settings);
    void LoadModules();
    // Each module's data of the kind, as string attributes of a composite of the id
    // added to the state; nothing is added when no module supplies any.
    void CollectJobData(uint32_t kind, uint16_t compositeId, GState* state);
    // Appends to the composite a pass-through command for each module's data of the
    // kind; answers how many were appended.
    int CollectPageData(uint32_t kind, GObjectBase& composite);
    GCommand* Hook(GCommand* command, uint32_t kind, bool commandFirst);

    ExtensionDescriptor* descriptors_[kSlots];
    ExtensionRenderTable tables_[kSlots];
    GDynamicLibrary* modules_[kSlots];
    uint32_t kinds_[kSlots];
    GDriverObject* owner_;
    void* queryFunction_;
    uint16_t count_;
    ExtensionCallContext context_;
};
