// Replaces the global allocation functions of the test executable with counting ones.
#include "AllocationWatch.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> g_live{0};
std::atomic<size_t> g_largest{0};
std::atomic<void (*)(void*)> g_onFree{nullptr};
std::atomic<DWORD> g_failingThread{0};
std::atomic<long> g_failAfter{0};

void* Allocate(size_t size) noexcept
{
    if (g_failingThread.load() != 0 && g_failingThread.load() == GetCurrentThreadId() && g_failAfter-- == 0) {
        g_failingThread = 0;
        return nullptr;
    }
    size_t seen = g_largest.load();
    while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {
    }
    void* p = std::malloc(size ? size : 1);
    if (p)
        ++g_live;
    return p;
}

void Free(void* p) noexcept
{
    if (p) {
        if (void (*hook)(void*) = g_onFree.load())
            hook(p);
        --g_live;
        std::free(p);
    }
}

void* AllocateOrThrow(size_t size)
{
    for (;;) {
        if (void* p = Allocate(size))
            return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
    }
}

} // namespace

long AllocationWatch::Live() { return g_live.load(); }
size_t AllocationWatch::Largest() { return g_largest.load(); }
void AllocationWatch::ResetLargest() { g_largest = 0; }
void AllocationWatch::OnFree(void (*hook)(void*)) { g_onFree = hook; }

void AllocationWatch::FailOnThisThread(long after)
{
    g_failingThread = 0;
    g_failAfter = after;
    if (after >= 0)
        g_failingThread = GetCurrentThreadId();
}

void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
// As the runtime's own: a failed request goes to the new handler first, so that a
// handler that ends the process ends it for these requests too.
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    try {
        return AllocateOrThrow(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, size_t) noexcept { Free(p); }
void operator delete[](void* p, size_t) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
