#include "entry/module/ModuleTlsSlots.h"

#include "entry/module/KernelFunction.h"

#include <atomic>

namespace {

typedef DWORD(WINAPI* TlsAllocFn)();
typedef BOOL(WINAPI* TlsFreeFn)(DWORD);

// A recorded slot is held as its index plus one, so that the zero of static storage is an
// empty entry before any constructor has run.
std::atomic<DWORD> g_slots[ModuleTlsSlots::kCapacity];

// The platform's own functions: the module's import of TlsAlloc and TlsFree leads here. Nothing
// here may take a lock or a guarded static: the runtime's own locks and guards come here for
// their first slot.
std::atomic<TlsAllocFn> g_platformAlloc{nullptr};
std::atomic<TlsFreeFn> g_platformFree{nullptr};

} // namespace

DWORD WINAPI ModuleTlsSlots::Alloc()
{
    const TlsAllocFn alloc = KernelFunction(g_platformAlloc, "TlsAlloc");
    if (!alloc) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return TLS_OUT_OF_INDEXES;
    }
    const DWORD slot = alloc();
    if (slot == TLS_OUT_OF_INDEXES)
        return slot;
    for (std::atomic<DWORD>& entry : g_slots) {
        DWORD empty = 0;
        if (entry.compare_exchange_strong(empty, slot + 1, std::memory_order_acq_rel))
            break;
    }
    return slot;
}

BOOL WINAPI ModuleTlsSlots::Free(DWORD slot)
{
    if (slot != TLS_OUT_OF_INDEXES) {
        for (std::atomic<DWORD>& entry : g_slots) {
            DWORD recorded = slot + 1;
            if (entry.compare_exchange_strong(recorded, 0, std::memory_order_acq_rel))
                break;
        }
    }
    const TlsFreeFn platformFree = KernelFunction(g_platformFree, "TlsFree");
    if (!platformFree) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return platformFree(slot);
}

void ModuleTlsSlots::FreeAll()
{
    const TlsFreeFn platformFree = KernelFunction(g_platformFree, "TlsFree");
    for (std::atomic<DWORD>& entry : g_slots) {
        const DWORD recorded = entry.exchange(0, std::memory_order_acq_rel);
        if (recorded != 0 && platformFree)
            platformFree(recorded - 1);
    }
}

uint32_t ModuleTlsSlots::Count()
{
    uint32_t count = 0;
    for (const std::atomic<DWORD>& entry : g_slots)
        count += entry.load(std::memory_order_acquire) != 0;
    return count;
}
