#include "ui/framework/ResourceLibrary.h"

namespace ResourceLibrary {
namespace {
HMODULE library = nullptr;
uint32_t references = 0;
HMODULE moduleInstance = nullptr;
}  // namespace

HMODULE GetResourceLibrary() { return library; }

int LoadResourceLibrary(const wchar_t* path)
{
    if (library) {
        ++references;
        return 1;
    }
    if (!path || !*path)
        return 0;
    // Only its resources are read: loaded as data, no code of it ever runs.
    library = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!library)
        return 0;
    references = 1;
    return 1;
}

void ReleaseResourceLibrary()
{
    if (!library || references == 0)
        return;
    if (--references == 0) {
        FreeLibrary(library);
        library = nullptr;
    }
}

uint32_t ReferenceCount() { return references; }

HMODULE GetModuleInstance() { return moduleInstance; }

void SetModuleInstance(HMODULE instance) { moduleInstance = instance; }

int LoadResourceString(uint32_t id, RWWString& text)
{
    wchar_t buffer[kStringChars + 1] = {};
    const int n = library ? LoadStringW(library, id, buffer, kStringChars + 1) : 0;
    text = RWWString(buffer, size_t(n > 0 ? n : 0));
    return n > 0;
}

}  // namespace ResourceLibrary
