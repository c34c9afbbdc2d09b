// The record an open sheet or dialog shares between the driver UI object, the sheet glue,
// the plug-ins and the extension host. Its layout is fixed: plug-in modules read it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

class GDriverObject;
class GObjectBase;
struct GUIData;

// A mode flag of the record: the printer's settings cannot be read, so the sheet stores
// nothing; its pages say so, and the device pages change nothing.
constexpr uint32_t kModeStoringOff = 0x10;
// A mode flag of the record: the user may not change the printer (a device sheet opened
// read-only, a document sheet without permission). The device pages change nothing and
// say so.
constexpr uint32_t kModeNoPermission = 0x1;
// Mode flags of a device sheet with storing off because a store is there but does not
// read: the factory's settings may replace such stores; and this user may do so, the
// sheet's OK replacing them once the user confirms.
constexpr uint32_t kModeReplaceable = 0x20;
constexpr uint32_t kModeMayReplace = 0x40;
// A mode flag of a document sheet that stores the printer's settings while the user's own
// watermarks cannot be read: its pages say so, and its OK offers to replace them.
constexpr uint32_t kModeOwnWatermarksUnreadable = 0x80;

struct UIContextRecord {
    uint32_t size;               // 60; anything else is refused
    GDriverObject* driverUI;     // the object's cache interface
    uint32_t* osVersion;         // three words: kind, major << 16 | minor, build
    GObjectBase* settings;       // the settings tree the pages edit, owned by the record
    GObjectBase* printer;        // the driver object's printer
    uint32_t moduleHandle;
    uint32_t pageSet;            // bits 0 and 1 document pages, bit 2 device pages
    uint32_t modeFlags;
    HANDLE hComPropSheet;
    void* pfnComPropSheet;       // null: the request runs its own sheet
    HWND hWndOwner;
    void* pfnPropSheetUI;
    LPARAM lParam;
    uint16_t applied;            // 2 when made, 1 once a page was applied
    uint16_t reserved;
    GUIData* guiData;
};
static_assert(sizeof(UIContextRecord) == 60, "the UI context record is 60 bytes on i686");
static_assert(offsetof(UIContextRecord, hComPropSheet) == 32 && offsetof(UIContextRecord, applied) == 52 &&
                  offsetof(UIContextRecord, guiData) == 56,
              "the UI context record's layout is fixed");
