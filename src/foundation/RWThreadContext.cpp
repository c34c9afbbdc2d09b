#include "foundation/RWThreadContext.h"

#include "foundation/RWReadTable.h"
#include "foundation/RWStoreTable.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// The slot's index; kUnallocated until the first use or the module's load, kReleased
// after unload.
const DWORD kUnallocated = FLS_OUT_OF_INDEXES;
const DWORD kReleased = FLS_OUT_OF_INDEXES - 1;

std::atomic<DWORD> g_slot{kUnallocated};
std::atomic<long> g_alive{0};
std::atomic<unsigned> g_extensions{0};

// Shared by every caller once the slot is gone, and by a thread whose own context
// cannot be made (no memory, no slot left in the process).
RWThreadContext g_shared;

// Runs when a thread ends, and for every thread still holding a context when the
// module releases the slot.
void WINAPI FreeContext(void* data)
{
    if (data && data != &g_shared) {
        static_cast<RWThreadContext*>(data)->DropSpares();
        delete static_cast<RWThreadContext*>(data);
        --g_alive;
    }
}

DWORD Slot()
{
    DWORD index = g_slot.load(std::memory_order_acquire);
    if (index != kUnallocated)
        return index;
    const DWORD made = FlsAlloc(FreeContext);
    if (made == FLS_OUT_OF_INDEXES)
        return kReleased;
    // Two threads racing to the first use: the loser gives its slot back.
    if (!g_slot.compare_exchange_strong(index, made, std::memory_order_acq_rel)) {
        FlsFree(made);
        return index;
    }
    return made;
}

// The calling thread's value of the slot. Reading it sets the thread's last error on
// success; the caller's last error (an operation's answer) is kept as it was.
void* SlotValue(DWORD index)
{
    const DWORD error = GetLastError();
    void* data = FlsGetValue(index);
    SetLastError(error);
    return data;
}

// Allocates the slot when the module loads and releases it when the module unloads,
// which frees the contexts of the threads still alive: no thread that ends later calls
// back into an unloaded module.
class SlotOwner {
public:
    SlotOwner() { Slot(); }
    ~SlotOwner()
    {
        const DWORD index = g_slot.exchange(kReleased, std::memory_order_acq_rel);
        if (index != kUnallocated && index != kReleased)
            FlsFree(index);
    }
};

const SlotOwner g_slotOwner;

} // namespace

RWThreadContext& RWThreadContext::Current()
{
    const DWORD index = Slot();
    if (index == kReleased)
        return g_shared;
    if (void* data = SlotValue(index))
        return *static_cast<RWThreadContext*>(data);
    // A thread whose own context cannot be made shares one from now on: every later
    // call, and Peek, answers the shared context, never a context made later.
    RWThreadContext* context = new (std::nothrow) RWThreadContext;
    if (!context) {
        FlsSetValue(index, &g_shared);
        return g_shared;
    }
    if (!FlsSetValue(index, context)) {
        delete context;
        return g_shared;
    }
    ++g_alive;
    return *context;
}

bool RWThreadContext::IsShared() const { return this == &g_shared; }

void RWThreadContext::DropSpares()
{
    for (RWStoreTable*& table : spareStoreTables) {
        delete table;
        table = nullptr;
    }
    delete spareReadTable;
    spareReadTable = nullptr;
}

RWThreadContext* RWThreadContext::Peek()
{
    const DWORD index = g_slot.load(std::memory_order_acquire);
    if (index == kReleased)
        return &g_shared;
    if (index == kUnallocated)
        return nullptr;
    return static_cast<RWThreadContext*>(SlotValue(index));
}

long RWThreadContext::Alive() { return g_alive.load(); }

void RWThreadContext::ShareOnThisThread()
{
    const DWORD index = Slot();
    if (index == kReleased)
        return;
    void* own = FlsGetValue(index);
    if (FlsSetValue(index, &g_shared))
        FreeContext(own);
}

unsigned RWThreadContext::TakeExtension()
{
    const unsigned index = g_extensions++;
    // A fixed set of users claims these at load; running out is a build mistake.
    if (index >= kExtensions)
        std::abort();
    return index;
}

// The slot is kept as its index plus one, so that 0, the value before the constructor
// runs, and the platform's "no index" both mean no slot.
RWThreadNumber::RWThreadNumber() : slot_(TlsAlloc() + 1) {}

RWThreadNumber::~RWThreadNumber()
{
    const unsigned long slot = slot_;
    slot_ = 0;
    if (slot != 0)
        TlsFree(slot - 1);
}

// Reading the slot sets the thread's last error on success; the caller's is kept.
uintptr_t RWThreadNumber::Get() const
{
    if (slot_ == 0)
        return 0;
    const DWORD error = GetLastError();
    const uintptr_t value = reinterpret_cast<uintptr_t>(TlsGetValue(slot_ - 1));
    SetLastError(error);
    return value;
}

void RWThreadNumber::Set(uintptr_t value) const
{
    if (slot_ != 0)
        TlsSetValue(slot_ - 1, reinterpret_cast<void*>(value));
}
