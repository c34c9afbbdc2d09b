#include "entry/module/ModuleBlockCache.h"

#include "printer/GPlatformCalls.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

const std::size_t kSizes = ModuleBlockCache::kLargestKept / ModuleBlockCache::kGrain;

// A kept block's first bytes link it to the next kept block of its size.
struct KeptBlock {
    KeptBlock* next;
};
static_assert(sizeof(KeptBlock) <= ModuleBlockCache::kGrain, "a kept block holds its link");

// One thread's kept blocks, linked into the list of every thread's caches.
struct ThreadCache {
    KeptBlock* heads[kSizes];
    uint16_t counts[kSizes];
    std::size_t bytes;
    uint32_t blocks;
    ThreadCache* previous;
    ThreadCache* next;
};
static_assert(ModuleBlockCache::kMostPerSize <= 0xFFFF, "a count fits its field");

enum State { kUnopened, kOpen, kClosed };

std::atomic<int> g_state{kUnopened};
DWORD g_slot = TLS_OUT_OF_INDEXES;
// Guards the list of caches, taken when a thread's cache is made or goes and at Close.
SRWLOCK g_listLock = SRWLOCK_INIT;
ThreadCache* g_caches = nullptr;

// The list lock held for a scope.
struct ListGuard : GPlatformCalls::LockGuard {
    ListGuard() : LockGuard(g_listLock, false) {}
};

bool Keepable(std::size_t size)
{
    return size != 0 && size <= ModuleBlockCache::kLargestKept && size % ModuleBlockCache::kGrain == 0;
}

std::size_t IndexOf(std::size_t size) { return size / ModuleBlockCache::kGrain - 1; }

// The calling thread's cache; null while closed. An allocation may come between a failed
// call and its caller's GetLastError, so the thread's last error is kept.
ThreadCache* CurrentCache()
{
    if (g_state.load(std::memory_order_acquire) != kOpen)
        return nullptr;
    const DWORD lastError = GetLastError();
    ThreadCache* cache = static_cast<ThreadCache*>(TlsGetValue(g_slot));
    SetLastError(lastError);
    return cache;
}

// The calling thread's cache, made and listed when it has none yet.
ThreadCache* CurrentOrNewCache()
{
    if (ThreadCache* cache = CurrentCache())
        return cache;
    if (g_state.load(std::memory_order_acquire) != kOpen)
        return nullptr;
    ThreadCache* cache = static_cast<ThreadCache*>(std::calloc(1, sizeof(ThreadCache)));
    if (!cache)
        return nullptr;
    const DWORD lastError = GetLastError();
    bool listed = false;
    {
        ListGuard guard;
        if (g_state.load(std::memory_order_relaxed) == kOpen && TlsSetValue(g_slot, cache)) {
            cache->next = g_caches;
            if (g_caches)
                g_caches->previous = cache;
            g_caches = cache;
            listed = true;
        }
    }
    SetLastError(lastError);
    if (!listed) {
        std::free(cache);
        return nullptr;
    }
    return cache;
}

// Gives every kept block back to the runtime; 1 when there was one.
int Empty(ThreadCache& cache)
{
    const int had = cache.blocks != 0;
    for (KeptBlock*& head : cache.heads) {
        while (KeptBlock* block = head) {
            head = block->next;
            std::free(block);
        }
    }
    std::memset(cache.counts, 0, sizeof cache.counts);
    cache.bytes = 0;
    cache.blocks = 0;
    return had;
}

// Takes the cache out of the list; the list lock is held.
void Unlist(ThreadCache* cache)
{
    if (cache->previous)
        cache->previous->next = cache->next;
    else
        g_caches = cache->next;
    if (cache->next)
        cache->next->previous = cache->previous;
}

} // namespace

bool ModuleBlockCache::Open()
{
    ListGuard guard;
    if (g_state.load(std::memory_order_relaxed) == kOpen)
        return true;
    g_slot = TlsAlloc();
    if (g_slot == TLS_OUT_OF_INDEXES)
        return false;
    g_state.store(kOpen, std::memory_order_release);
    return true;
}

void ModuleBlockCache::Close()
{
    ListGuard guard;
    if (g_state.load(std::memory_order_relaxed) != kOpen)
        return;
    g_state.store(kClosed, std::memory_order_release);
    while (ThreadCache* cache = g_caches) {
        g_caches = cache->next;
        Empty(*cache);
        std::free(cache);
    }
    TlsFree(g_slot);
    g_slot = TLS_OUT_OF_INDEXES;
}

void ModuleBlockCache::ThreadEnds()
{
    ThreadCache* cache = CurrentCache();
    if (!cache)
        return;
    {
        ListGuard guard;
        // A Close since the slot was read has freed every cache already.
        if (g_state.load(std::memory_order_relaxed) != kOpen)
            return;
        Unlist(cache);
        TlsSetValue(g_slot, nullptr);
    }
    Empty(*cache);
    std::free(cache);
}

int ModuleBlockCache::Trim()
{
    ThreadCache* cache = CurrentCache();
    return cache ? Empty(*cache) : 0;
}

std::size_t ModuleBlockCache::RoundedSize(std::size_t size)
{
    if (size > kLargestKept)
        return size;
    return size == 0 ? kGrain : (size + kGrain - 1) / kGrain * kGrain;
}

void* ModuleBlockCache::Allocate(std::size_t size)
{
    const std::size_t rounded = RoundedSize(size);
    if (Keepable(rounded)) {
        if (ThreadCache* cache = CurrentCache()) {
            const std::size_t index = IndexOf(rounded);
            if (KeptBlock* block = cache->heads[index]) {
                cache->heads[index] = block->next;
                --cache->counts[index];
                cache->bytes -= rounded;
                --cache->blocks;
                return block;
            }
        }
    }
    return std::malloc(rounded);
}

void ModuleBlockCache::Free(void* block) { std::free(block); }

void ModuleBlockCache::Free(void* block, std::size_t size)
{
    if (!block)
        return;
    if (Keepable(size)) {
        ThreadCache* cache = CurrentOrNewCache();
        const std::size_t index = IndexOf(size);
        if (cache && cache->counts[index] < kMostPerSize && cache->bytes + size <= kMostBytesPerThread) {
            KeptBlock* kept = static_cast<KeptBlock*>(block);
            kept->next = cache->heads[index];
            cache->heads[index] = kept;
            ++cache->counts[index];
            cache->bytes += size;
            ++cache->blocks;
            return;
        }
    }
    std::free(block);
}

std::size_t ModuleBlockCache::KeptBytes()
{
    ThreadCache* cache = CurrentCache();
    return cache ? cache->bytes : 0;
}

uint32_t ModuleBlockCache::KeptBlocks()
{
    ThreadCache* cache = CurrentCache();
    return cache ? cache->blocks : 0;
}
