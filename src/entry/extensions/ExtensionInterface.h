// The contract between the driver and its extension modules: the entry point every
// module exports, the record in which a module describes itself, the rendering table a
// module hands over, the data kinds it can supply, and the statuses of the calls. All
// functions use the callee-cleans convention and answer a 16-bit status.
#pragma once

#include <cstddef>
#include <cstdint>

#define QZ_EXTENSION_CALL __stdcall

// The export every module has, called with an interface id and a table to fill.
constexpr const char* kExtensionEntryPoint = "QZExt_QueryInterface";

// Interface ids of the tables a module hands out.
enum ExtensionInterfaceId : int32_t {
    kExtensionRegistrationTable = 0,
    kExtensionUITable = 1,
    kExtensionRenderTable = 2,
};

// Statuses of the interface, in both directions. A module's own non-zero status is
// passed through unchanged where a host answers with the result of a module call.
enum ExtensionStatus : uint16_t {
    kExtensionOk = 0,
    // A missing or unusable argument or context, nothing found, a module that could not
    // be loaded, or a value not available at this point of the job.
    kExtensionUnavailable = 1,
    // The caller's buffer is shorter than the stored bytes; it was filled as far as it goes.
    kExtensionBufferShort = 2,
    kExtensionUnknownValue = 3,
    // A rendering-side value (60 to 67) asked from a page.
    kExtensionRenderingOnly = 4,
    // An unknown interface id, a rendering-side settings write, or a printer without
    // extension support.
    kExtensionNotSupported = 5,
    kExtensionListFull = 9,
    // No settings stored for the name (read); no matching registration (unregister).
    kExtensionNotStored = 10,
    // Fewer bytes stored than the buffer holds; all were copied.
    kExtensionBufferLonger = 11,
    kExtensionNameTaken = 13,
    kExtensionTextMissing = 14,
    kExtensionSettingsTooLong = 15,
    // A registration (or unregistration) that could not have the printer's stores lock:
    // held by another writer past the wait (another try may go through), or refused to
    // this caller, whom the printer does not let change its settings. Nothing was stored.
    kExtensionBusy = 16,
    kExtensionRefused = 17,
};

// The most settings bytes an extension keeps.
constexpr uint16_t kExtensionSettingsLimit = 50;
// Extensions a printer takes at most.
constexpr int kExtensionSlots = 4;
// The interface id of the driver's own table, the only one QZDrv_QueryInterface hands out.
constexpr uint16_t kDriverInterfaceId = 50;

// The module's description of itself: fixed fields of NUL-terminated narrow texts.
struct ExtensionDescriptor {
    char text1[40];
    char name[40];
    char text2[32];
    uint32_t flags;
    char uiModule[30];
    char renderModule[30];
    char text3[40];
    char text4[60];
};
static_assert(sizeof(ExtensionDescriptor) == 276, "the descriptor's layout is fixed");
static_assert(offsetof(ExtensionDescriptor, flags) == 112, "flags at 112");
static_assert(offsetof(ExtensionDescriptor, uiModule) == 116, "UI module at 116");
static_assert(offsetof(ExtensionDescriptor, renderModule) == 146, "rendering module at 146");
static_assert(offsetof(ExtensionDescriptor, text3) == 176, "third text at 176");
static_assert(offsetof(ExtensionDescriptor, text4) == 216, "fourth text at 216");

// Descriptor flags.
constexpr uint32_t kExtensionSuppliesTrays = 0x1;
constexpr uint32_t kExtensionSuppliesBins = 0x2;
constexpr uint32_t kExtensionHasUIModule = 0x4;
constexpr uint32_t kExtensionHasRenderModule = 0x8;

// One property page a UI module offers.
struct ExtensionPageRecord {
    uint32_t flags;
    uint32_t unused;
    // A resource id or a pointer to the dialog template.
    const void* dialogTemplate;
    void* dialogProcedure;
};
static_assert(sizeof(ExtensionPageRecord) == 16, "the page record's layout is fixed");
static_assert(offsetof(ExtensionPageRecord, dialogTemplate) == 8, "template at 8");
static_assert(offsetof(ExtensionPageRecord, dialogProcedure) == 12, "dialog procedure at 12");

// The registration table (interface 0).
using ExtensionDescribe = uint16_t(QZ_EXTENSION_CALL*)(ExtensionDescriptor* out, uint16_t pdlMode);
using ExtensionGetList = uint16_t(QZ_EXTENSION_CALL*)(const uint8_t** list, uint16_t* count, uint16_t pdlMode);
using ExtensionNotify = uint16_t(QZ_EXTENSION_CALL*)();
using ExtensionGetDefaults = uint16_t(QZ_EXTENSION_CALL*)(const uint8_t** bytes, uint16_t* length);

struct ExtensionRegistrationTable {
    ExtensionDescribe Describe;
    ExtensionGetList GetInputTrays;
    ExtensionGetList GetOutputBins;
    ExtensionNotify OnRegistered;
    ExtensionNotify OnUnregistered;
    ExtensionGetDefaults GetDefaultSettings;
};
static_assert(sizeof(ExtensionRegistrationTable) == 24, "six entries of the registration table");

// The UI table (interface 1).
using ExtensionEnumPages = uint16_t(QZ_EXTENSION_CALL*)(uint16_t* count, ExtensionPageRecord* records,
                                                        void* queryFunction, void* context);
using ExtensionRelease = uint16_t(QZ_EXTENSION_CALL*)(void* context);

struct ExtensionUITable {
    ExtensionEnumPages EnumPages;
    ExtensionRelease Release;
};
static_assert(sizeof(ExtensionUITable) == 8, "two entries of the UI table");

// The driver's table (interface 50): UIGetValue, UIGetExtSettings, UISetExtSettings.
using DriverUIGetValue = uint16_t(QZ_EXTENSION_CALL*)(uint16_t valueId, uint16_t* out, void* context);
using DriverUIGetExtSettings = uint16_t(QZ_EXTENSION_CALL*)(uint8_t* buffer, uint16_t size, const char* name,
                                                            void* context);
using DriverUISetExtSettings = uint16_t(QZ_EXTENSION_CALL*)(const uint8_t* bytes, uint16_t length,
                                                            const char* name, void* context);
struct DriverInterfaceTable {
    DriverUIGetValue UIGetValue;
    DriverUIGetExtSettings UIGetExtSettings;
    DriverUISetExtSettings UISetExtSettings;
};
static_assert(sizeof(DriverInterfaceTable) == 12, "three entries of the driver's table");

// The PDL mode handed to a module: 12 for the PCL XL writer, 11 for PCL 5e, else 0.
constexpr uint16_t ExtensionPdlMode(uint32_t writerClassId)
{
    return writerClassId == 767 ? 12 : writerClassId == 788 ? 11 : 0;
}

// Data kinds: bits of what Initialize answers, and the kind asked of GetData.
constexpr uint32_t kExtensionDataNone = 0x10;
constexpr uint32_t kExtensionJobStartPjl = 0x20;
constexpr uint32_t kExtensionJobEndPjl = 0x40;
constexpr uint32_t kExtensionJobStartPdl = 0x80;
constexpr uint32_t kExtensionJobEndPdl = 0x100;
constexpr uint32_t kExtensionPageStart1 = 0x200;
constexpr uint32_t kExtensionPageEnd1 = 0x400;
constexpr uint32_t kExtensionPageStart2 = 0x800;
constexpr uint32_t kExtensionPageEnd2 = 0x1000;

// The rendering table (interface 2). The context is the host that made the call; a
// module passes it back unchanged.
using ExtensionInitialize = uint16_t(QZ_EXTENSION_CALL*)(void* queryFunction, uint32_t* kinds, void* context);
using ExtensionTerminate = uint16_t(QZ_EXTENSION_CALL*)(void* context);
using ExtensionGetData = uint16_t(QZ_EXTENSION_CALL*)(uint32_t kind, uint8_t** bytes, uint16_t* length,
                                                      void* context);
using ExtensionFreeData = uint16_t(QZ_EXTENSION_CALL*)(uint8_t* bytes, void* context);

struct ExtensionRenderTable {
    ExtensionInitialize Initialize;
    ExtensionTerminate Terminate;
    ExtensionGetData GetData;
    ExtensionFreeData FreeData;
};
static_assert(sizeof(ExtensionRenderTable) == 16, "four entries of the rendering table");
