#include "entry/module/ModuleHandles.h"

#include "entry/module/KernelFunction.h"

#include <atomic>

namespace {

typedef HANDLE(WINAPI* CreateEventAFn)(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR);
typedef BOOL(WINAPI* DuplicateHandleFn)(HANDLE, HANDLE, HANDLE, LPHANDLE, DWORD, BOOL, DWORD);
typedef BOOL(WINAPI* CloseHandleFn)(HANDLE);

std::atomic<uintptr_t> g_handles[ModuleHandles::kCapacity];
// One past the highest entry ever used: a close looks no further, so that the usual few
// records cost the module's every CloseHandle a few comparisons only.
std::atomic<uint32_t> g_used{0};

// The platform's own functions: the module's imports of these lead here. Nothing here may
// take a lock: the runtime's threads library comes here from its thread notifications.
std::atomic<CreateEventAFn> g_platformCreateEvent{nullptr};
std::atomic<DuplicateHandleFn> g_platformDuplicate{nullptr};
std::atomic<CloseHandleFn> g_platformClose{nullptr};

void Record(HANDLE handle)
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value == 0)
        return;
    for (uint32_t i = 0; i < ModuleHandles::kCapacity; ++i) {
        uintptr_t empty = 0;
        if (g_handles[i].compare_exchange_strong(empty, value, std::memory_order_acq_rel)) {
            uint32_t used = g_used.load(std::memory_order_acquire);
            while (used < i + 1 && !g_used.compare_exchange_weak(used, i + 1, std::memory_order_acq_rel)) {
            }
            return;
        }
    }
}

void Forget(HANDLE handle)
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    if (value == 0)
        return;
    const uint32_t used = g_used.load(std::memory_order_acquire);
    for (uint32_t i = 0; i < used; ++i) {
        uintptr_t recorded = value;
        if (g_handles[i].compare_exchange_strong(recorded, 0, std::memory_order_acq_rel))
            return;
    }
}

bool InThisProcess(HANDLE process) { return process == GetCurrentProcess() || GetProcessId(process) == GetCurrentProcessId(); }

} // namespace

HANDLE WINAPI ModuleHandles::CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                                          LPCSTR name)
{
    const CreateEventAFn create = KernelFunction(g_platformCreateEvent, "CreateEventA");
    if (!create) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    const HANDLE event = create(attributes, manualReset, initialState, name);
    Record(event);
    return event;
}

BOOL WINAPI ModuleHandles::DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess,
                                           LPHANDLE target, DWORD access, BOOL inherit, DWORD options)
{
    const DuplicateHandleFn duplicate = KernelFunction(g_platformDuplicate, "DuplicateHandle");
    if (!duplicate) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    if ((options & DUPLICATE_CLOSE_SOURCE) && InThisProcess(sourceProcess))
        Forget(source);
    const BOOL made = duplicate(sourceProcess, source, targetProcess, target, access, inherit, options);
    if (made && target && InThisProcess(targetProcess))
        Record(*target);
    return made;
}

BOOL WINAPI ModuleHandles::CloseHandle(HANDLE handle)
{
    Forget(handle);
    const CloseHandleFn platformClose = KernelFunction(g_platformClose, "CloseHandle");
    if (!platformClose) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return FALSE;
    }
    return platformClose(handle);
}

void ModuleHandles::CloseAll()
{
    const CloseHandleFn platformClose = KernelFunction(g_platformClose, "CloseHandle");
    for (std::atomic<uintptr_t>& entry : g_handles) {
        const uintptr_t recorded = entry.exchange(0, std::memory_order_acq_rel);
        if (recorded != 0 && platformClose)
            platformClose(reinterpret_cast<HANDLE>(recorded));
    }
    g_used.store(0, std::memory_order_release);
}

uint32_t ModuleHandles::Count()
{
    uint32_t count = 0;
    for (const std::atomic<uintptr_t>& entry : g_handles)
        count += entry.load(std::memory_order_acquire) != 0;
    return count;
}
