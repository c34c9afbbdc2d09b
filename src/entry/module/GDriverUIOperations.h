// What the entry points ask of the per-printer driver user-interface object: one
// operation per printer-driver entry point, called with the entry point's own
// arguments, and the release ticket a property sheet keeps in the object. The object
// itself is made above this folder, through the maker the system services hold; the
// entry points reach it from the driver object the server hands out.
#pragma once

#include "entry/module/DriverPlatform.h"

// Every file sees the same names for the operations the spooler's header also defines
// as macros (DocumentProperties, AdvancedDocumentProperties).
#include <winspool.h>

#include <cstdint>

class GDriverUIOperations {
public:
    virtual ~GDriverUIOperations() = default;

    virtual DWORD DeviceCapabilities(HANDLE printer, LPWSTR deviceName, WORD capability, PVOID output,
                                     PDEVMODEW devMode) = 0;
    virtual LONG DocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                    PDEVMODEW input, DWORD mode) = 0;
    virtual LONG DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter) = 0;
    virtual LONG AdvancedDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                            PDEVMODEW input) = 0;
    virtual BOOL ConvertDevMode(LPWSTR printerName, PDEVMODEW input, PDEVMODEW output, PLONG needed,
                                DWORD mode) = 0;
    virtual LONG DevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter) = 0;
    virtual BOOL PrinterProperties(HWND window, HANDLE printer) = 0;
    virtual BOOL DevQueryPrintEx(PDEVQUERYPRINT_INFO info) = 0;
    virtual BOOL UpgradePrinter(DWORD level, LPBYTE info) = 0;
    virtual BOOL PrinterEvent(LPWSTR printerName, INT event, DWORD flags, LPARAM parameter) = 0;
    virtual INT DocumentEvent(HANDLE printer, HDC dc, INT escape, ULONG inputSize, PVOID input,
                              ULONG outputSize, PVOID output) = 0;
    // The extension registration reached from the extension interface: a 16-bit status.
    virtual uint32_t RegisterExtension(const char* moduleName, uint32_t flags) = 0;

    // The driver server's release ticket of the acquisition a property sheet holds.
    virtual void SetCacheTicket(uint32_t ticket) = 0;
    virtual uint32_t GetCacheTicket() const = 0;
};
