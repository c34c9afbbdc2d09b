// The printer-driver interface types, constants and entry-point prototypes that the
// mingw-w64 headers do not declare, written from the public driver documentation. Each
// stands under its own guard so that a header that gains it later wins, and each
// layout is pinned to its 32-bit size.
#pragma once

#include <windows.h>
#include <compstui.h>
#include <winddiui.h>

#include <cstddef>

#ifndef DM_ADVANCED
#define DM_ADVANCED 0x10
#endif
#ifndef DM_NOPERMISSION
#define DM_NOPERMISSION 0x20
#endif
#ifndef DM_USER_DEFAULT
#define DM_USER_DEFAULT 0x40
#endif

#ifndef CDM_CONVERT
#define CDM_CONVERT 0x01
#endif
#ifndef CDM_CONVERT351
#define CDM_CONVERT351 0x02
#endif
#ifndef CDM_DRIVER_DEFAULT
#define CDM_DRIVER_DEFAULT 0x04
#endif

#ifndef DPS_NOPERMISSION
#define DPS_NOPERMISSION 0x0001
#endif

#ifndef PROPSHEETUI_REASON_BEFORE_INIT
#define PROPSHEETUI_REASON_BEFORE_INIT 5
#endif

#ifndef PRINTER_EVENT_CONFIGURATION_CHANGE
#define PRINTER_EVENT_CONFIGURATION_CHANGE 0
#endif
#ifndef PRINTER_EVENT_CONFIGURATION_UPDATE
#define PRINTER_EVENT_CONFIGURATION_UPDATE 8
#endif
#ifndef PRINTER_EVENT_ADD_CONNECTION_NO_UI
#define PRINTER_EVENT_ADD_CONNECTION_NO_UI 9
#endif
#ifndef PRINTER_EVENT_DELETE_CONNECTION_NO_UI
#define PRINTER_EVENT_DELETE_CONNECTION_NO_UI 10
#endif

// What the spooler passes to the document property entry points.
#ifndef DOCUMENTPROPERTYHEADER_DECLARED
#define DOCUMENTPROPERTYHEADER_DECLARED
typedef struct _DOCUMENTPROPERTYHEADER {
    WORD cbSize;
    WORD Reserved;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
    PDEVMODEW pdmIn;
    PDEVMODEW pdmOut;
    DWORD cbOut;
    DWORD fMode;
} DOCUMENTPROPERTYHEADER, *PDOCUMENTPROPERTYHEADER;
#endif

#ifndef DEVICEPROPERTYHEADER_DECLARED
#define DEVICEPROPERTYHEADER_DECLARED
typedef struct _DEVICEPROPERTYHEADER {
    WORD cbSize;
    WORD Flags;
    HANDLE hPrinter;
    LPWSTR pszPrinterName;
} DEVICEPROPERTYHEADER, *PDEVICEPROPERTYHEADER;
#endif

#ifndef DEVQUERYPRINT_INFO_DECLARED
#define DEVQUERYPRINT_INFO_DECLARED
typedef struct _DEVQUERYPRINT_INFO {
    WORD cbSize;
    WORD Level;
    HANDLE hPrinter;
    DEVMODEW* pDevMode;
    LPWSTR pszErrorStr;
    DWORD cchErrorStr;
    DWORD cchNeeded;
} DEVQUERYPRINT_INFO, *PDEVQUERYPRINT_INFO;
#endif

#ifndef DRIVER_UPGRADE_INFO_1_DECLARED
#define DRIVER_UPGRADE_INFO_1_DECLARED
typedef struct _DRIVER_UPGRADE_INFO_1W {
    LPWSTR pPrinterName;
    LPWSTR pOldDriverDirectory;
} DRIVER_UPGRADE_INFO_1W, *PDRIVER_UPGRADE_INFO_1W;
#endif

// The common property sheet calls its callbacks as stdcall, while the platform's own
// pointer type carries no calling convention (so cdecl on this target).
typedef LONG(WINAPI* QZPropSheetUIProc)(PPROPSHEETUI_INFO info, LPARAM parameter);

static_assert(sizeof(DOCUMENTPROPERTYHEADER) == 28, "32-bit layout");
static_assert(sizeof(DEVICEPROPERTYHEADER) == 12, "32-bit layout");
static_assert(sizeof(DEVQUERYPRINT_INFO) == 24, "32-bit layout");
static_assert(sizeof(DRIVER_UPGRADE_INFO_1W) == 8, "32-bit layout");
static_assert(sizeof(PROPSHEETUI_INFO) == 28, "32-bit layout");
static_assert(offsetof(PROPSHEETUI_INFO, lParamInit) == 16 && offsetof(PROPSHEETUI_INFO, UserData) == 20,
              "32-bit layout");
static_assert(sizeof(DEVMODEW) == 220, "public DEVMODE of dmSpecVersion 0x401");

// The printer-driver user-interface entry points. PrinterProperties and
// DevQueryPrintEx are declared (and defined) only where the spooler's own header is not
// seen: it declares PrinterProperties as a spooler import.
extern "C" {
LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter);
LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter);
LONG WINAPI DrvDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                  PDEVMODEW input, DWORD mode);
LONG WINAPI DrvAdvancedDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                          PDEVMODEW input);
DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, LPWSTR deviceName, WORD capability, PVOID output,
                                   PDEVMODEW devMode);
BOOL WINAPI DrvConvertDevMode(LPWSTR printerName, PDEVMODEW input, PDEVMODEW output, PLONG needed, DWORD mode);
BOOL WINAPI DrvUpgradePrinter(DWORD level, LPBYTE info);
LONG_PTR CALLBACK NonPropPageSheet(HANDLE sheet, UINT function, LPARAM first, LPARAM second);
}
