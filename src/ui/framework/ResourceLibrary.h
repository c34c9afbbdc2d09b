// The resource library service of the user interface: one counted load of the library
// that holds the dialogs and strings, and the module instance the pages belong to. Sheets
// of several threads load and release it at once: the count and the library change
// together under one lock.
#pragma once

#include <windows.h>

#include "foundation/RWWString.h"

#include <cstdint>

namespace ResourceLibrary {

// The loaded library, or null.
HMODULE GetResourceLibrary();
// The first load loads the library at the path (as data: only its resources are read),
// later loads count; 1 when loaded.
int LoadResourceLibrary(const wchar_t* path);
// One release; the last frees the library.
void ReleaseResourceLibrary();
// The number of loads not yet released.
uint32_t ReferenceCount();

HMODULE GetModuleInstance();
void SetModuleInstance(HMODULE instance);

// At most 256 characters of a string of the library; 1 when found.
constexpr int kStringChars = 256;
int LoadResourceString(uint32_t id, RWWString& text);

}  // namespace ResourceLibrary
