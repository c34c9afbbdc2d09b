// The record one property sheet shares with every UI plug-in and page callback: what the
// sheet glue copied from the driver UI object's context record, and the page entries the
// plug-ins fill.
#pragma once

#include <windows.h>
#include <prsht.h>

#include <cstdint>

class GDriverObject;
class GObjectBase;

struct GUIData {
    uint32_t size;               // 60
    GDriverObject* driverUI;     // the sheet's driver UI object
    GObjectBase* settings;       // the settings tree the pages edit
    GObjectBase* printer;
    HMODULE moduleHandle;
    uint32_t pageSet;            // bits 0 and 1 document pages, bit 2 device pages
    uint32_t modeFlags;
    void* hook;
    uint16_t pageCount;          // entries in pages
    uint16_t reserved;
    PROPSHEETPAGEW_V1* pages;    // null until the glue has sized the array
    void* request;
    void* sheetContext;
    wchar_t* driverName;
    wchar_t* printerName;
    wchar_t* portName;
};
static_assert(sizeof(GUIData) == 60, "the sheet record is 60 bytes on i686");

// Page-set bits.
const uint32_t kPageSetDocumentPages = 0x3;
const uint32_t kPageSetDevicePages = 0x4;
