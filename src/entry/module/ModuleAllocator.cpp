// The module's operator new and delete: blocks come from the C runtime's heap through
// each thread's cache of recently freed blocks (ModuleBlockCache), so the threads of a
// host that call the module at once do not queue on the heap's lock for every object.
// A failed allocation first gives the thread's kept blocks back, then goes to the
// installed new handler as the runtime's own operator new would; the module's handler
// ends the process when nothing can be freed. Linked into the module only: tests and
// benchmarks keep the runtime's.
#include "entry/module/ModuleBlockCache.h"

#include <new>

namespace {

void* AllocateOrHandle(std::size_t size)
{
    for (;;) {
        if (void* block = ModuleBlockCache::Allocate(size))
            return block;
        if (ModuleBlockCache::Trim())
            continue;
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

} // namespace

void* operator new(std::size_t size) { return AllocateOrHandle(size); }
void* operator new[](std::size_t size) { return AllocateOrHandle(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    try {
        return AllocateOrHandle(size);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }

void operator delete(void* block) noexcept { ModuleBlockCache::Free(block); }
void operator delete[](void* block) noexcept { ModuleBlockCache::Free(block); }
void operator delete(void* block, std::size_t size) noexcept { ModuleBlockCache::Free(block, size); }
void operator delete[](void* block, std::size_t size) noexcept { ModuleBlockCache::Free(block, size); }
void operator delete(void* block, const std::nothrow_t&) noexcept { ModuleBlockCache::Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { ModuleBlockCache::Free(block); }
