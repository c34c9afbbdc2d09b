// The built-in UI plug-in that brings the UI modules of registered extensions into the
// document property sheet. It reads the registered extensions from the sheet's settings
// tree, loads each UI module, asks it for its pages and fills the sheet's page entries
// with them. It is also the context the UI modules pass back to the driver's exports.
#pragma once

#include "entry/extensions/ExtensionInterface.h"
#include "entry/extensions/UIExtensionCallContext.h"
#include "entry/sheet/GBuiltInPlugIn.h"

#include <windows.h>

#include <cstdint>

class GObjectBase;
struct GUIData;

class GUIExtensionHost : public GBuiltInPlugIn {
public:
    GUIExtensionHost();
    GUIExtensionHost(const GUIExtensionHost&) = delete;
    GUIExtensionHost& operator=(const GUIExtensionHost&) = delete;
    // Frees what ReleaseAll did not.
    ~GUIExtensionHost() override;

    // The plug-in roles: the page count (null page array) or the filling of the entries
    // from the first free index; the release of every module.
    uint16_t AddPages(GUIData* data, uint16_t firstIndex);
    uint16_t ReleaseAll(GUIData* data);

    // The four roles as the sheet glue calls them, in place of a plug-in library's
    // exports; the two conversions do nothing.
    int16_t Initialize(GUIData* data, uint16_t firstIndex) override { return int16_t(AddPages(data, firstIndex)); }
    int16_t Destroy(GUIData* data) override { return int16_t(ReleaseAll(data)); }
    int16_t ConfigToSettings(GUIData*) override { return 0; }
    int16_t SettingsToConfig(uint32_t) override { return 0; }

    // The settings write of a page: the bytes replace the settings text of the named
    // extension in the sheet's tree and its copy. 15 above 50 bytes, 1 when no entry
    // changed.
    uint16_t WriteSettings(const uint8_t* bytes, uint16_t length, const char* name);
    uint16_t ReadSettings(uint8_t* buffer, uint16_t size, const char* name) const;
    // A page's value question, answered by the manager of the sheet's driver object.
    uint16_t GetValue(uint16_t valueId, uint16_t* out);

    UIExtensionCallContext& GetCallContext() { return *context_; }
    uint16_t GetCount() const { return count_; }
    bool IsModuleLoaded(int slot) const { return slot >= 0 && slot < kExtensionSlots && modules_[slot]; }

private:
    void ReadRegistered(GObjectBase* settings);
    void LoadModule(int slot);
    void FreeSlot(int slot);

    UIExtensionCallContext* context_;
    ExtensionUITable* tables_[kExtensionSlots];
    HMODULE modules_[kExtensionSlots];
    ExtensionDescriptor* descriptors_[kExtensionSlots];
    void* queryFunction_;
    uint16_t count_;
};
