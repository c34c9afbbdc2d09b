#include "ui/framework/ResourceLibrary.h"

#include "foundation/RWCriticalSection.h"

#include <atomic>

namespace ResourceLibrary {
namespace {
// Guards the first load, the count and the last release; a holder reads the library
// without it, since the library stays loaded while it holds a load.
RWCriticalSection lock;
std::atomic<HMODULE> library{nullptr};
uint32_t references = 0;
HMODULE moduleInstance = nullptr;
}  // namespace

HMODULE GetResourceLibrary() { return library.load(); }

int LoadResourceLibrary(const wchar_t* path)
{
    RWCriticalSectionGuard guard(lock);
    if (library.load()) {
        ++references;
        return 1;
    }
    if (!path || !*path)
        return 0;
    // Only its resources are read: loaded as data, no code of it ever runs.
    HMODULE loaded = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!loaded)
        return 0;
    library = loaded;
    references = 1;
    return 1;
}

void ReleaseResourceLibrary()
{
    RWCriticalSectionGuard guard(lock);
    if (!library.load() || references == 0)
        return;
    if (--references == 0)
        FreeLibrary(library.exchange(nullptr));
}

uint32_t ReferenceCount()
{
    RWCriticalSectionGuard guard(lock);
    return references;
}

HMODULE GetModuleInstance() { return moduleInstance; }

void SetModuleInstance(HMODULE instance) { moduleInstance = instance; }

int LoadResourceString(uint32_t id, RWWString& text)
{
    wchar_t buffer[kStringChars + 1] = {};
    const HMODULE held = library.load();
    const int n = held ? LoadStringW(held, id, buffer, kStringChars + 1) : 0;
    text = RWWString(buffer, size_t(n > 0 ? n : 0));
    return n > 0;
}

}  // namespace ResourceLibrary
