#include "printer/GThreadHeaps.h"

#include <cstdlib>

#include <windows.h>

#include <atomic>
#include <cstdint>

// Everything here is constant-initialised: the module's operator new runs before any
// static constructor and after every static destructor, so no state may need either.
namespace {

// One private heap. refs counts its live blocks plus one while the pool holds it; the
// count that falls to zero destroys the heap. A heap is leased to at most one thread.
struct ArenaChunk;

struct HeapRecord {
    HANDLE heap;
    std::atomic<long> refs;
    bool leased;
    // Read and written only by the thread that leases the heap.
    unsigned long taken;
    int arenaDepth;
    ArenaChunk* arena;
};

// A chunk of an arena: a block of its heap whose blocks follow it. refs counts its live
// blocks plus one while it is the arena's current chunk.
struct ArenaChunk {
    std::atomic<long> refs;
    char* next;
    char* end;
    uint32_t padding;
};
static_assert(sizeof(ArenaChunk) % 8 == 0, "blocks after the chunk stay 8-byte aligned");

// Before each block: the heap record it came from (null for the process heap). Eight
// bytes keep the block as aligned as the heap's own.
struct BlockHeader {
    HeapRecord* owner;
    uint32_t check;
};
static_assert(sizeof(BlockHeader) == 8, "the header keeps blocks 8-byte aligned");
constexpr uint32_t kCheck = 0x51485448;
constexpr uint32_t kArenaCheck = 0x51485441;

HeapRecord g_records[GThreadHeaps::kMaxHeaps];
// Guards the records' heap and leased fields and the TLS index; never held while a
// block is allocated or freed.
SRWLOCK g_lock = SRWLOCK_INIT;
std::atomic<DWORD> g_index{TLS_OUT_OF_INDEXES};
std::atomic<bool> g_closed{false};
// What a thread's slot holds when every private heap is leased: the process heap, asked
// for again only when the thread ends and starts over.
HeapRecord g_shared = {};

class PoolLock {
public:
    PoolLock() { AcquireSRWLockExclusive(&g_lock); }
    ~PoolLock() { ReleaseSRWLockExclusive(&g_lock); }
    PoolLock(const PoolLock&) = delete;
    PoolLock& operator=(const PoolLock&) = delete;
};

BlockHeader* HeaderOf(const void* block)
{
    return reinterpret_cast<BlockHeader*>(static_cast<char*>(const_cast<void*>(block)) - sizeof(BlockHeader));
}

// Lock held: the heap is destroyed and its slot made free.
void DestroyLocked(HeapRecord& record)
{
    HeapDestroy(record.heap);
    record.heap = nullptr;
    record.leased = false;
}

void Unreference(HeapRecord* record)
{
    if (record->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        PoolLock lock;
        DestroyLocked(*record);
    }
}

// Lock held: an idle heap (the one with the most live blocks first, so their memory is
// used again) or a new one; the shared marker when none can be had.
HeapRecord* LeaseLocked()
{
    HeapRecord* idle = nullptr;
    HeapRecord* empty = nullptr;
    for (HeapRecord& record : g_records) {
        if (record.heap && !record.leased) {
            if (!idle || record.refs.load() > idle->refs.load())
                idle = &record;
        } else if (!record.heap && !empty) {
            empty = &record;
        }
    }
    if (!idle && empty) {
        HANDLE heap = HeapCreate(0, 0, 0);
        if (heap) {
            empty->heap = heap;
            empty->refs.store(1);
            empty->taken = 0;
            empty->arenaDepth = 0;
            empty->arena = nullptr;
            idle = empty;
        }
    }
    if (!idle)
        return &g_shared;
    idle->leased = true;
    return idle;
}

// The calling thread's heap record, leased on first use; null once the pool is closed.
HeapRecord* Current()
{
    if (g_closed.load(std::memory_order_acquire))
        return nullptr;
    DWORD index = g_index.load(std::memory_order_acquire);
    if (index != TLS_OUT_OF_INDEXES) {
        // TlsGetValue clears the last error; a caller's error must survive an allocation.
        const DWORD error = GetLastError();
        HeapRecord* record = static_cast<HeapRecord*>(TlsGetValue(index));
        SetLastError(error);
        if (record)
            return record;
    }
    const DWORD error = GetLastError();
    HeapRecord* record = nullptr;
    {
        PoolLock lock;
        if (g_closed.load())
            return nullptr;
        index = g_index.load();
        if (index == TLS_OUT_OF_INDEXES) {
            index = TlsAlloc();
            g_index.store(index, std::memory_order_release);
        }
        if (index != TLS_OUT_OF_INDEXES) {
            record = LeaseLocked();
            TlsSetValue(index, record);
        }
    }
    SetLastError(error);
    return record;
}

uint32_t NumberOf(const HeapRecord* record)
{
    if (!record || record == &g_shared)
        return 0;
    return uint32_t(record - g_records) + 1;
}

} // namespace

namespace {

// A block of the thread's heap (or the process heap without one).
void* HeapBlock(HeapRecord* record, std::size_t size)
{
    HANDLE heap = record ? record->heap : GetProcessHeap();
    if (record)
        record->refs.fetch_add(1, std::memory_order_relaxed);
    void* raw = HeapAlloc(heap, 0, size + sizeof(BlockHeader));
    if (!raw) {
        if (record)
            Unreference(record);
        return nullptr;
    }
    if (record)
        ++record->taken;
    BlockHeader* header = static_cast<BlockHeader*>(raw);
    header->owner = record;
    header->check = kCheck;
    return header + 1;
}

void ReleaseChunk(ArenaChunk* chunk)
{
    if (chunk->refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
        GThreadHeaps::Free(chunk);
}

// A block cut from the arena's current chunk, a new chunk when it has no room left.
void* ArenaBlock(HeapRecord* record, std::size_t size)
{
    const std::size_t need = (size + sizeof(BlockHeader) + 7) & ~std::size_t(7);
    ArenaChunk* chunk = record->arena;
    if (!chunk || std::size_t(chunk->end - chunk->next) < need) {
        void* raw = HeapBlock(record, GThreadHeaps::kChunkSize);
        if (!raw)
            return nullptr;
        if (chunk)
            ReleaseChunk(chunk);
        chunk = static_cast<ArenaChunk*>(raw);
        chunk->refs.store(1);
        chunk->next = reinterpret_cast<char*>(chunk + 1);
        chunk->end = static_cast<char*>(raw) + GThreadHeaps::kChunkSize;
        record->arena = chunk;
    }
    BlockHeader* header = reinterpret_cast<BlockHeader*>(chunk->next);
    chunk->next += need;
    chunk->refs.fetch_add(1, std::memory_order_relaxed);
    header->owner = reinterpret_cast<HeapRecord*>(chunk);
    header->check = kArenaCheck;
    return header + 1;
}

} // namespace

GThreadHeaps::ArenaScope::ArenaScope() noexcept : open_(false)
{
    HeapRecord* record = Current();
    if (record && record != &g_shared) {
        ++record->arenaDepth;
        open_ = true;
    }
}

GThreadHeaps::ArenaScope::~ArenaScope()
{
    if (!open_)
        return;
    // The thread still leases the same heap: a scope lives on one thread's stack.
    HeapRecord* record = Current();
    if (!record || record == &g_shared || --record->arenaDepth > 0)
        return;
    if (ArenaChunk* chunk = record->arena) {
        record->arena = nullptr;
        ReleaseChunk(chunk);
    }
}

void* GThreadHeaps::Allocate(std::size_t size) noexcept
{
    if (size > SIZE_MAX - kChunkSize)
        return nullptr;
    HeapRecord* record = Current();
    if (record == &g_shared)
        record = nullptr;
    if (record && record->arenaDepth > 0 && size <= kArenaLargest)
        return ArenaBlock(record, size);
    return HeapBlock(record, size);
}

void GThreadHeaps::Free(void* block) noexcept
{
    if (!block)
        return;
    BlockHeader* header = HeaderOf(block);
    HeapRecord* owner = header->owner;
    if (header->check == kArenaCheck) {
        header->check = 0;
        ReleaseChunk(reinterpret_cast<ArenaChunk*>(owner));
        return;
    }
    if (header->check != kCheck) {
        // Not one of these heaps' blocks: an object made by a host that links the same
        // classes with the runtime's allocator and handed across. It goes back there.
        std::free(block);
        return;
    }
    header->check = 0;
    if (!owner) {
        HeapFree(GetProcessHeap(), 0, header);
        return;
    }
    HeapFree(owner->heap, 0, header);
    Unreference(owner);
}

void GThreadHeaps::ThreadEnds() noexcept
{
    if (g_closed.load(std::memory_order_acquire))
        return;
    const DWORD index = g_index.load(std::memory_order_acquire);
    if (index == TLS_OUT_OF_INDEXES)
        return;
    HeapRecord* record = static_cast<HeapRecord*>(TlsGetValue(index));
    TlsSetValue(index, nullptr);
    if (!record || record == &g_shared)
        return;
    PoolLock lock;
    record->leased = false;
    // Keep a few empty heaps for the next threads; more than that go back to the system.
    uint32_t idleEmpty = 0;
    for (const HeapRecord& other : g_records)
        if (other.heap && !other.leased && other.refs.load() == 1)
            ++idleEmpty;
    for (HeapRecord& other : g_records) {
        if (idleEmpty <= kMaxIdleEmpty)
            break;
        // No thread allocates from an idle heap, so one without blocks stays without.
        long one = 1;
        if (other.heap && !other.leased && other.refs.compare_exchange_strong(one, 0)) {
            DestroyLocked(other);
            --idleEmpty;
        }
    }
}

void GThreadHeaps::Close() noexcept
{
    PoolLock lock;
    if (g_closed.exchange(true))
        return;
    for (HeapRecord& record : g_records) {
        if (!record.heap)
            continue;
        record.leased = false;
        if (record.refs.fetch_sub(1, std::memory_order_acq_rel) == 1)
            DestroyLocked(record);
    }
    const DWORD index = g_index.exchange(TLS_OUT_OF_INDEXES);
    if (index != TLS_OUT_OF_INDEXES)
        TlsFree(index);
}

uint32_t GThreadHeaps::HeapOf(const void* block) noexcept
{
    if (!block)
        return 0;
    const BlockHeader* header = HeaderOf(block);
    if (header->check == kArenaCheck)
        return HeapOf(header->owner);
    return NumberOf(header->owner);
}

unsigned long GThreadHeaps::HeapBlocksTaken() noexcept
{
    HeapRecord* record = Current();
    return record && record != &g_shared ? record->taken : 0;
}

uint32_t GThreadHeaps::CurrentHeap() noexcept
{
    if (g_closed.load())
        return 0;
    const DWORD index = g_index.load();
    if (index == TLS_OUT_OF_INDEXES)
        return 0;
    const DWORD error = GetLastError();
    const uint32_t number = NumberOf(static_cast<HeapRecord*>(TlsGetValue(index)));
    SetLastError(error);
    return number;
}

long GThreadHeaps::LiveBlocks(uint32_t heap) noexcept
{
    if (heap == 0 || heap > kMaxHeaps)
        return 0;
    PoolLock lock;
    const HeapRecord& record = g_records[heap - 1];
    if (!record.heap)
        return 0;
    return record.refs.load() - (g_closed.load() ? 0 : 1);
}

uint32_t GThreadHeaps::HeapCount() noexcept
{
    PoolLock lock;
    uint32_t count = 0;
    for (const HeapRecord& record : g_records)
        count += record.heap ? 1 : 0;
    return count;
}

uint32_t GThreadHeaps::LeasedCount() noexcept
{
    PoolLock lock;
    uint32_t count = 0;
    for (const HeapRecord& record : g_records)
        count += record.heap && record.leased ? 1 : 0;
    return count;
}

bool GThreadHeaps::Closed() noexcept { return g_closed.load(); }

void GThreadHeaps::Reopen() noexcept
{
    PoolLock lock;
    if (!g_closed.load())
        return;
    // Heaps still waiting for their last block stay counted without the pool's hold.
    for (HeapRecord& record : g_records)
        if (record.heap)
            record.refs.fetch_add(1);
    g_closed.store(false);
}
