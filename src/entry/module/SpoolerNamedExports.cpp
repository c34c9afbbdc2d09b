// The two entry points whose names the spooler's own header declares as imports of its
// own (or its import library offers): defined here, where that header is not seen, so
// that the module's definitions are never taken for imports.
#define WIN32_LEAN_AND_MEAN
#include "entry/module/DriverPlatform.h"
#include "entry/module/EntryPoints.h"

#ifdef _WINSPOOL_
#error "the spooler's header must not be seen here"
#endif

extern "C" BOOL WINAPI PrinterProperties(HWND window, HANDLE printer) { return RunPrinterProperties(window, printer); }

extern "C" BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO info) { return RunDevQueryPrintEx(info); }
