// The driver's side of the extension interface: the functions extension modules call
// back, exported by the module under their decorated names.
#pragma once

#include <windows.h>

#include <cstdint>

extern "C" {
// Fills the driver's table (interface 50): 0; any other id 5, table untouched.
uint16_t WINAPI QZDrv_QueryInterface(uint16_t interfaceId, void** table);
// A page's calls; the context is the UI host that called the page's module.
uint16_t WINAPI QZDrv_UIGetValue(uint16_t valueId, uint16_t* out, void* context);
uint16_t WINAPI QZDrv_UIGetExtSettings(uint8_t* buffer, uint16_t size, const char* name, void* context);
uint16_t WINAPI QZDrv_UISetExtSettings(const uint8_t* bytes, uint16_t length, const char* name, void* context);
// The rendering modules' calls; the context is the manager that called the module.
uint16_t WINAPI QZDrv_GetValue(uint16_t valueId, uint16_t* out, void* context);
uint16_t WINAPI QZDrv_GetExtSettings(uint8_t* buffer, uint16_t size, const char* name, void* context);
// A rendering module cannot write settings: always 5.
uint16_t WINAPI QZDrv_SetExtSettings(void*, uint32_t, void*, void*);
}
