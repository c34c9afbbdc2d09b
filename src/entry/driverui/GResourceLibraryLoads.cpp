#include "entry/driverui/GResourceLibraryLoads.h"

#include "printer/GPlatformCalls.h"
#include "printer/GPrinterSnapshot.h"

#include <list>
#include <string>

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

// Nothing is allocated while the lock is held: an allocation that fails there would run
// the out-of-memory handler, which deletes spare driver objects, whose release of their
// library loads takes this lock again. A new entry is made before the lock and linked in
// under it; entries taken out under it are freed after it.
struct Table {
    SRWLOCK lock = SRWLOCK_INIT;
    std::list<Loaded> loaded;
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
    // The file as this entry call sees it.
    const GSourceStamp seen = GPrinterSnapshot::File(name);
    if (!seen.IsKnown())
        return nullptr;
    // The entry a first load links in, made before the lock.
    std::list<Loaded> made;
    made.push_back(Loaded{seen, nullptr, 1, true});
    Loaded& entry = made.front();
    std::list<Loaded> gone;
    HMODULE found = nullptr;
    {
        // Loaded under the lock: two first users load it once.
        GPlatformCalls::LockGuard guard(g_table.lock, false);
        for (auto it = g_table.loaded.begin(); it != g_table.loaded.end(); ++it) {
            if (!it->current || it->stamp.Path() != seen.Path())
                continue;
            if (it->stamp.Answers(seen)) {
                ++it->loads;
                found = it->module;
            } else {
                it->current = false;
                if (it->loads == 0)
                    gone.splice(gone.end(), g_table.loaded, it);
            }
            break;
        }
        if (!found) {
            GPlatformCalls::Count(GPlatformCalls::kFileOpen);
            // Only its resources are read: loaded as data, no code of it ever runs.
            entry.module = LoadLibraryExW(seen.Path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
            if (entry.module) {
                found = entry.module;
                g_table.loaded.splice(g_table.loaded.end(), made);
            }
        }
    }
    for (const Loaded& stale : gone)
        FreeLibrary(stale.module);
    return found;
}

void GResourceLibraryLoads::Release(HMODULE module)
{
    if (!module)
        return;
    std::list<Loaded> gone;
    {
        GPlatformCalls::LockGuard guard(g_table.lock, false);
        for (auto it = g_table.loaded.begin(); it != g_table.loaded.end(); ++it)
            if (it->module == module) {
                if (it->loads > 0 && --it->loads == 0 && !it->current)
                    gone.splice(gone.end(), g_table.loaded, it);
                break;
            }
    }
    for (const Loaded& freed : gone)
        FreeLibrary(freed.module);
}
