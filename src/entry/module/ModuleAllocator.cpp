// The module's operator new and delete: every block comes from the calling thread's own
// heap (GThreadHeaps), so the threads of a host that call the module at once do not queue
// on the process heap's lock. A failed allocation goes to the installed new handler as
// the runtime's own operator new would; the module's handler ends the process when
// nothing can be freed. Linked into the module only: tests and benchmarks keep theirs.
#include "printer/GThreadHeaps.h"

#include <new>

namespace {

void* AllocateOrHandle(std::size_t size)
{
    for (;;) {
        if (void* block = GThreadHeaps::Allocate(size ? size : 1))
            return block;
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

void operator delete(void* block) noexcept { GThreadHeaps::Free(block); }
void operator delete[](void* block) noexcept { GThreadHeaps::Free(block); }
void operator delete(void* block, std::size_t) noexcept { GThreadHeaps::Free(block); }
void operator delete[](void* block, std::size_t) noexcept { GThreadHeaps::Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { GThreadHeaps::Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { GThreadHeaps::Free(block); }
