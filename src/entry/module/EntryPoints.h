// The module's exports that are not declared by the platform headers, and the two
// entry points whose exports are defined where the spooler's header is not seen.
#pragma once

#include "entry/module/DriverPlatform.h"

#include <cstdint>

// The extension interface's status for a missing or unusable argument, and for an
// interface the module does not offer.
const uint32_t kExtensionBadArgument = 1;
const uint32_t kExtensionUnsupported = 5;

// The bodies of PrinterProperties and DevQueryPrintEx.
BOOL RunPrinterProperties(HWND window, HANDLE printer);
BOOL RunDevQueryPrintEx(PDEVQUERYPRINT_INFO info);

extern "C" {
// The print-time query; the platform headers do not declare it.
BOOL WINAPI DevQueryPrintEx(PDEVQUERYPRINT_INFO info);

// Exported without decoration and called as cdecl, unlike its stdcall siblings:
// (printer name, unused, extension module file name, flags: 0 registers, else
// unregisters) -> a 16-bit status.
uint32_t QZDrv_RegisterExtension(const char* printerName, uint32_t unused, const char* moduleName, uint32_t flags);

// The extension interface's stdcall exports (their decorated names are the exported ones).
uint32_t WINAPI QZDrv_QueryInterface(uint16_t interfaceId, void* table);
uint32_t WINAPI QZDrv_UIGetValue(uint16_t valueId, void* output, void* context);
uint32_t WINAPI QZDrv_UIGetExtSettings(void* buffer, uint16_t size, const char* extension, void* context);
uint32_t WINAPI QZDrv_UISetExtSettings(const void* bytes, uint16_t length, const char* extension, void* context);
uint32_t WINAPI QZDrv_GetValue(uint16_t valueId, void* output, void* context);
uint32_t WINAPI QZDrv_GetExtSettings(void* buffer, uint16_t size, const char* extension, void* context);
uint32_t WINAPI QZDrv_SetExtSettings(void* first, uint32_t second, void* third, void* fourth);

// The UI plug-in interface, exported by name and by ordinal alone.
uint32_t WINAPI UI_INTERFACEVERSION();
int16_t WINAPI UI_INITIALIZE(void* guiData, uint16_t firstIndexOrMode);
int16_t WINAPI UI_DESTROY(void* guiData);
int16_t WINAPI UI_CONFIGTOSETTINGS(void* guiData);
int16_t WINAPI UI_SETTINGSTOCONFIG(uint32_t value);
}
