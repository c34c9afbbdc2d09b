#include "entry/driverui/GResourceLibraryLoads.h"

#include "printer/GPlatformCalls.h"
#include "printer/GPrinterSnapshot.h"

#include <string>
#include <vector>

namespace {

// One library loaded as data: the file as it was when loaded, and the loads held. A
// library whose loads all ended stays loaded, so that the next driver object finds it;
// one whose file changed is no longer found by its path and goes with its last load.
struct Loaded {
    GSourceStamp stamp;
    HMODULE module;
    uint32_t loads;
    bool current;
};

struct Table {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<Loaded> loaded;
    // The libraries still loaded when the module goes are freed with it.
    ~Table()
    {
        for (const Loaded& library : loaded)
            FreeLibrary(library.module);
    }
} g_table;

} // namespace

HMODULE GResourceLibraryLoads::Acquire(const RWWString& name)
{
    if (name.IsNull() || name.Length() == 0)
        return nullptr;
    const std::wstring path(name.Data(), name.Length());
    const GSourceStamp seen = GPrinterSnapshot::File(path);
    if (!seen.IsKnown())
        return nullptr;
    HMODULE stale = nullptr;
    // Loaded under the lock: two first users load it once.
    GPlatformCalls::LockGuard guard(g_table.lock, false);
    for (auto it = g_table.loaded.begin(); it != g_table.loaded.end(); ++it) {
        if (!it->current || it->stamp.Path() != path)
            continue;
        if (it->stamp.Answers(seen)) {
            ++it->loads;
            return it->module;
        }
        it->current = false;
        if (it->loads == 0) {
            stale = it->module;
            g_table.loaded.erase(it);
        }
        break;
    }
    if (stale)
        FreeLibrary(stale);
    GPlatformCalls::Count(GPlatformCalls::kFileOpen);
    // Only its resources are read: loaded as data, no code of it ever runs.
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return nullptr;
    g_table.loaded.push_back(Loaded{seen, module, 1, true});
    return module;
}

void GResourceLibraryLoads::Release(HMODULE module)
{
    if (!module)
        return;
    HMODULE freed = nullptr;
    {
        GPlatformCalls::LockGuard guard(g_table.lock, false);
        for (auto it = g_table.loaded.begin(); it != g_table.loaded.end(); ++it)
            if (it->module == module) {
                if (it->loads > 0 && --it->loads == 0 && !it->current) {
                    freed = it->module;
                    g_table.loaded.erase(it);
                }
                break;
            }
    }
    if (freed)
        FreeLibrary(freed);
}
