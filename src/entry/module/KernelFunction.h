// A function of kernel32 looked up by name once and kept, for the module's stand-ins of
// its own imports (ModuleTlsSlots, ModuleHandles): their import pointers lead to the
// stand-ins, so the platform's function is reached by name. Nothing here takes a lock or a
// guarded static, as the runtime's own locks and notifications come through the stand-ins.
#pragma once

#include <windows.h>

#include <atomic>

template <class Fn>
Fn KernelFunction(std::atomic<Fn>& kept, const char* name)
{
    Fn found = kept.load(std::memory_order_acquire);
    if (!found) {
        const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        found = kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
        kept.store(found, std::memory_order_release);
    }
    return found;
}
