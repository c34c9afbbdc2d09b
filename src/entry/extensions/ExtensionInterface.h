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

// Statuses of the interface.
enum ExtensionStatus : uint16_t {
    kExtensionOk = 0,
    kExtensionUnavailable = 1,
};

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
constexpr uint32_t kExtensionHasRenderModule = 0x8;

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
