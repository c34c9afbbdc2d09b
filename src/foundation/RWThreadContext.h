// What the foundation keeps per thread: the tables of the save or restore in progress,
// the innermost error capture, the bound on nested comparisons and the scratch places
// that failed accesses answer. Each thread's context is made on its first use, reached
// through one fiber-local slot that the module allocates when it loads, and freed when
// the thread ends or the module unloads.
#pragma once

#include <cstddef>
#include <cstdint>

class RWClassList;
class RWCollectable;
class RWErrorCapture;
class RWReadTable;
class RWStoreTable;

class RWThreadContext {
public:
    // Slots for the layers above the foundation (see RWThreadSlot).
    static const unsigned kExtensions = 8;

    // The calling thread's context, made on first use. After the module has released
    // its slot (late in unload, when one thread runs), or when a thread's own context
    // cannot be made, the callers share one context; a thread that once shares it keeps
    // sharing it.
    static RWThreadContext& Current();
    // The calling thread's context when it has one; never makes one (for paths such as
    // destructors that run on any thread and need only look).
    static RWThreadContext* Peek();

    constexpr RWThreadContext() = default;
    RWThreadContext(const RWThreadContext&) = delete;
    RWThreadContext& operator=(const RWThreadContext&) = delete;

    // Persistence: the store tables of the outermost save and of the outermost size
    // count, and the read table of the outermost restore. The guards that open them own
    // them; the context only points at them.
    RWStoreTable* saveTable = nullptr;
    RWStoreTable* sizeTable = nullptr;
    RWReadTable* readTable = nullptr;
    // Tables that finished saves, size counts and restores left, emptied, for the next
    // ones of this thread: a spooled page saves and restores one object at a time. The
    // context owns them; the shared context keeps none.
    RWStoreTable* spareStoreTables[2] = {};
    RWReadTable* spareReadTable = nullptr;
    // True for the context that callers share.
    bool IsShared() const;
    // Deletes the spare tables.
    void DropSpares();
    // The classes the restores of this thread may make (RWClassListScope), or null for
    // any registered class. Never set on the shared context (see RWClassListScope).
    const RWClassList* classList = nullptr;

    // The innermost error capture, or null.
    RWErrorCapture* capture = nullptr;
    // Errors raised on this thread so far.
    uint32_t raised = 0;

    // The comparisons open on this thread; the count and the spent flag last until the
    // outermost one ends.
    struct CompareState {
        unsigned depth = 0;
        uint32_t steps = 0;
        bool spent = false;
    };
    CompareState compare;

    // Where writes through a failed checked access land.
    RWCollectable* collectableScratch = nullptr;
    char charScratch = 0;
    wchar_t wideScratch = 0;

    void*& Extension(unsigned index) { return extensions_[index]; }

private:
    friend class RWThreadContextProbe;
    // Contexts made and not yet freed, for tests of the thread-end path.
    static long Alive();
    // Frees the calling thread's own context and puts the thread onto the shared one, as
    // when its own cannot be made; for tests of the shared context.
    static void ShareOnThisThread();
    // The index of the next free extension slot.
    template <class T>
    friend class RWThreadSlot;
    static unsigned TakeExtension();

    void* extensions_[kExtensions] = {};
};

// A per-thread pointer for code above the foundation, kept in one of the context's
// extension slots. What it points at is the user's; the context never frees it.
//
// On the shared context a slot is shared by every thread that uses it. A slot made
// with ownThreadOnly keeps nothing there instead: it reads null and ignores writes, so
// a thread never sees another thread's value (its user then works without it).
template <class T>
class RWThreadSlot {
public:
    explicit RWThreadSlot(bool ownThreadOnly = false)
        : index_(RWThreadContext::TakeExtension()), ownThreadOnly_(ownThreadOnly)
    {
    }
    RWThreadSlot(const RWThreadSlot&) = delete;
    RWThreadSlot& operator=(const RWThreadSlot&) = delete;

    T* Get() const
    {
        RWThreadContext& context = RWThreadContext::Current();
        if (ownThreadOnly_ && context.IsShared())
            return nullptr;
        return static_cast<T*>(context.Extension(index_));
    }
    void Set(T* value) const
    {
        RWThreadContext& context = RWThreadContext::Current();
        if (!(ownThreadOnly_ && context.IsShared()))
            context.Extension(index_) = const_cast<void*>(static_cast<const void*>(value));
    }

    // Read and written like a per-thread pointer.
    operator T*() const { return Get(); }
    T* operator->() const { return Get(); }
    const RWThreadSlot& operator=(T* value) const
    {
        Set(value);
        return *this;
    }

private:
    unsigned index_;
    bool ownThreadOnly_;
};

// A per-thread number that stays each thread's own when threads share the context: the
// number itself sits in a thread-local slot of the platform's, so nothing is allocated
// for a thread and nothing is left when a thread ends or the module goes. The slot is
// taken when the module loads and given back when it unloads; without one (the process
// has none left, or the module is going) every thread reads 0 and writes are dropped.
class RWThreadNumber {
public:
    RWThreadNumber();
    ~RWThreadNumber();
    RWThreadNumber(const RWThreadNumber&) = delete;
    RWThreadNumber& operator=(const RWThreadNumber&) = delete;

    uintptr_t Get() const;
    void Set(uintptr_t value) const;

private:
    unsigned long slot_;
};
