// The record every UI plug-in and every page callback receives, and the link each page
// entry carries in its lParam. Both layouts are fixed: plug-in modules read them.
//
// What crosses modules here, and who frees it:
// - The record, its names, its pages array and the links belong to this module's sheet
//   glue, which frees them when the sheet goes. A plug-in fills the entries it claimed
//   and frees none of it.
// - The settings tree, the printer and the driver object belong to this module. A plug-in
//   changes the tree only through the objects' own operations (Add takes ownership of
//   what it is given; what Remove... hands back is the caller's) and frees an object only
//   through its virtual destructor (delete through GObjectBase*, or the counted holders),
//   so every object goes back to the allocator of the module whose code made it, whoever
//   frees it. This module frees what a plug-in added the same way.
// - Counted strings and other values shared between the two sides may be let go by
//   either: this module allocates with the C runtime's heap (msvcrt.dll's malloc) and
//   nothing else, so a plug-in must use the same runtime, or copy such values at the
//   boundary instead of sharing them.
#pragma once

#include "entry/sheet/UIContextRecord.h"

#include <prsht.h>

#include <cstddef>
#include <cstdint>

class GSheetContext;

// The page entry as the first version of the page record lays it out (40 bytes).
typedef PROPSHEETPAGEW_V1 QZPageEntry;
static_assert(sizeof(QZPageEntry) == 40, "page entries are of the first version");

typedef uint16_t(WINAPI* QZPageHook)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, GUIData* guiData);

struct GUIData {
    uint32_t size;  // 60
    GDriverObject* driverUI;
    GObjectBase* settings;
    GObjectBase* printer;
    uint32_t moduleHandle;
    uint32_t pageSet;
    uint32_t modeFlags;
    QZPageHook hook;
    uint16_t pageCount;
    uint16_t reserved;
    QZPageEntry* pages;
    UIContextRecord* request;
    GSheetContext* sheetContext;  // set by the module's own plug-in
    wchar_t* driverName;
    wchar_t* printerName;
    wchar_t* portName;
};
static_assert(sizeof(GUIData) == 60, "GUIData is 60 bytes on i686");
static_assert(offsetof(GUIData, hook) == 28 && offsetof(GUIData, pageCount) == 32 && offsetof(GUIData, pages) == 36 &&
                  offsetof(GUIData, sheetContext) == 44 && offsetof(GUIData, portName) == 56,
              "GUIData's layout is fixed");

class GPropertyPage;

struct PageLink {
    uint32_t size;  // 28
    HWND hwnd;      // the page dialog, from WM_INITDIALOG on
    HPROPSHEETPAGE handle;  // what the sheet answered for the entry
    GUIData* guiData;
    uint32_t created;
    uint32_t released;
    GPropertyPage* page;
};
static_assert(sizeof(PageLink) == 28, "PageLink is 28 bytes on i686");
static_assert(offsetof(PageLink, guiData) == 12 && offsetof(PageLink, page) == 24, "PageLink's layout is fixed");

// Sent by the sheet glue to each page of an open sheet whose mode flags changed (wParam:
// the flags now), so that the page's line and items follow them.
const UINT kModeFlagsChangedMessage = WM_APP + 0x2A1;

// Page-set bits.
const uint32_t kPageSetDocumentPages = 0x3;
const uint32_t kPageSetDevicePages = 0x4;
