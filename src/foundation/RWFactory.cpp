#include "foundation/RWFactory.h"

#include <windows.h>

namespace {

// Shared for lookups (by id only when the index has no answer), exclusive for registration,
// removal and the instance's life.
SRWLOCK g_lock = SRWLOCK_INIT;
// Written under the lock; read without it by the lookups by id.
std::atomic<RWFactory*> g_factory{nullptr};

class SharedUse {
public:
    SharedUse() { AcquireSRWLockShared(&g_lock); }
    ~SharedUse() { ReleaseSRWLockShared(&g_lock); }
    SharedUse(const SharedUse&) = delete;
    SharedUse& operator=(const SharedUse&) = delete;
};

class ExclusiveUse {
public:
    ExclusiveUse() { AcquireSRWLockExclusive(&g_lock); }
    ~ExclusiveUse() { ReleaseSRWLockExclusive(&g_lock); }
    ExclusiveUse(const ExclusiveUse&) = delete;
    ExclusiveUse& operator=(const ExclusiveUse&) = delete;
};

RWFactoryEntryById KeyOf(RWClassID id) { return RWFactoryEntryById(id, nullptr, RWStringID()); }
RWFactoryEntryByName KeyOf(const RWStringID& name) { return RWFactoryEntryByName(RWNoClassId, nullptr, name); }

// The instance, made when missing; the caller holds the lock exclusively.
RWFactory* EnsureFactory()
{
    if (!g_factory)
        g_factory = new (std::nothrow) RWFactory;
    return g_factory.load();
}

} // namespace

// The process-wide operations run on the instance under the one lock they took.
class RWFactoryAccess {
public:
    static void Add(RWCreateFunction create, RWClassID id, const RWStringID& name, RWKindOfFunction kindOf)
    {
        ExclusiveUse use;
        if (RWFactory* factory = EnsureFactory())
            factory->AddEntries(create, id, name, kindOf);
    }

    // Removes the entry for key and destroys the instance when that emptied it.
    static void Remove(const RWFactoryEntry& key)
    {
        ExclusiveUse use;
        if (!g_factory)
            return;
        RWFactory* factory = g_factory.load();
        factory->RemoveEntry(key);
        if (factory->IsEmpty()) {
            g_factory = nullptr;
            delete factory;
        }
    }

    static const RWFactoryEntry* Find(const RWFactoryEntry& key)
    {
        RWFactory* factory = g_factory.load();
        return factory ? factory->FindEntry(key) : nullptr;
    }

    static const RWFactoryEntry* Find(RWClassID id)
    {
        RWFactory* factory = g_factory.load();
        return factory ? factory->FindById(id) : nullptr;
    }

    // Without the lock.
    static const RWClassIndex::Answer* Answer(RWClassID id)
    {
        RWFactory* factory = g_factory.load(std::memory_order_acquire);
        return factory ? factory->byId_.Find(id) : nullptr;
    }

    static std::vector<RWFactoryClass> Classes()
    {
        SharedUse use;
        RWFactory* factory = g_factory.load();
        return factory ? factory->ListClasses() : std::vector<RWFactoryClass>();
    }
};

RWClassIndex::~RWClassIndex()
{
    for (std::atomic<Page*>& page : pages_) {
        if (Page* made = page.load()) {
            for (std::atomic<const Answer*>& slot : made->slots)
                delete slot.load();
            delete made;
        }
    }
    while (Answer* answer = withdrawn_) {
        withdrawn_ = answer->withdrawn;
        delete answer;
    }
}

const RWClassIndex::Answer* RWClassIndex::Find(RWClassID id) const
{
    const Page* page = pages_[id / kPageSlots].load(std::memory_order_acquire);
    return page ? page->slots[id % kPageSlots].load(std::memory_order_acquire) : nullptr;
}

bool RWClassIndex::Publish(RWClassID id, RWCreateFunction create, RWKindOfFunction kindOf)
{
    std::atomic<Page*>& page = pages_[id / kPageSlots];
    if (!page.load()) {
        Page* made = new (std::nothrow) Page();
        if (!made)
            return false;
        page.store(made, std::memory_order_release);
    }
    std::atomic<const Answer*>& slot = page.load()->slots[id % kPageSlots];
    if (slot.load())
        return true;
    Answer* answer = new (std::nothrow) Answer{create, kindOf, nullptr};
    if (!answer)
        return false;
    slot.store(answer, std::memory_order_release);
    return true;
}

void RWClassIndex::Withdraw(RWClassID id)
{
    Page* page = pages_[id / kPageSlots].load();
    const Answer* answer = page ? page->slots[id % kPageSlots].exchange(nullptr) : nullptr;
    if (answer) {
        Answer* kept = const_cast<Answer*>(answer);
        kept->withdrawn = withdrawn_;
        withdrawn_ = kept;
    }
}

RWFactoryEntryById::~RWFactoryEntryById() {}
uint32_t RWFactoryEntryById::Hash() const { return Id(); }

bool RWFactoryEntryById::IsEqual(const RWCollectable* other) const
{
    const RWFactoryEntryById* entry = dynamic_cast<const RWFactoryEntryById*>(other);
    return entry && entry->Id() == Id();
}

RWFactoryEntryByName::~RWFactoryEntryByName() {}
uint32_t RWFactoryEntryByName::Hash() const { return Name().Hash(); }

bool RWFactoryEntryByName::IsEqual(const RWCollectable* other) const
{
    const RWFactoryEntryByName* entry = dynamic_cast<const RWFactoryEntryByName*>(other);
    return entry && entry->Name() == Name();
}

RWFactory::RWFactory() : RWSet(kDefaultBuckets) {}

RWFactory::~RWFactory() { ClearAndDestroy(); }

void RWFactory::AddEntries(RWCreateFunction create, RWClassID id, const RWStringID& name, RWKindOfFunction kindOf)
{
    RWFactoryEntry* entries[] = {new (std::nothrow) RWFactoryEntryById(id, create, name, kindOf),
                                 new (std::nothrow) RWFactoryEntryByName(id, create, name, kindOf)};
    for (RWFactoryEntry* entry : entries)
        if (entry && Insert(entry) != entry)
            delete entry;
    // The index follows the set: it answers as the entry the set kept for the id. Without
    // its index entry (no memory) the id is still found through the set.
    if (const RWFactoryEntry* kept = FindEntry(KeyOf(id)))
        byId_.Publish(id, kept->Function(), kept->KindOf());
}

const RWFactoryEntry* RWFactory::FindEntry(const RWFactoryEntry& key) const
{
    return static_cast<const RWFactoryEntry*>(Find(&key));
}

const RWFactoryEntry* RWFactory::FindById(RWClassID id) const { return FindEntry(KeyOf(id)); }

void RWFactory::RemoveEntry(const RWFactoryEntry& key)
{
    RWCollectable* removed = Remove(&key);
    if (const RWFactoryEntryById* entry = dynamic_cast<const RWFactoryEntryById*>(removed))
        byId_.Withdraw(entry->Id());
    delete removed;
}

std::vector<RWFactoryClass> RWFactory::ListClasses() const
{
    std::vector<RWFactoryClass> classes;
    Apply(
        [](RWCollectable* m, void* out) {
            if (const RWFactoryEntryById* entry = dynamic_cast<const RWFactoryEntryById*>(m))
                static_cast<std::vector<RWFactoryClass>*>(out)->push_back(
                    {entry->Id(), entry->Name(), entry->Function(), entry->KindOf()});
        },
        &classes);
    return classes;
}

void RWFactory::AddFunction(RWCreateFunction create, RWClassID id, const RWStringID& name, RWKindOfFunction kindOf)
{
    ExclusiveUse use;
    AddEntries(create, id, name, kindOf);
}

void RWFactory::RemoveFunction(RWClassID id)
{
    ExclusiveUse use;
    RemoveEntry(KeyOf(id));
}

void RWFactory::RemoveFunction(const RWStringID& name)
{
    ExclusiveUse use;
    RemoveEntry(KeyOf(name));
}

RWCreateFunction RWFactory::GetFunction(RWClassID id) const
{
    if (const RWClassIndex::Answer* answer = byId_.Find(id))
        return answer->create;
    SharedUse use;
    const RWFactoryEntry* entry = FindById(id);
    return entry ? entry->Function() : nullptr;
}

RWCreateFunction RWFactory::GetFunction(const RWStringID& name) const
{
    SharedUse use;
    const RWFactoryEntry* entry = FindEntry(KeyOf(name));
    return entry ? entry->Function() : nullptr;
}

RWCollectable* RWFactory::Create(RWClassID id) const
{
    RWCreateFunction create = GetFunction(id);
    return create ? create() : nullptr;
}

RWCollectable* RWFactory::Create(const RWStringID& name) const
{
    RWCreateFunction create = GetFunction(name);
    return create ? create() : nullptr;
}

RWStringID RWFactory::StringId(RWClassID id) const
{
    SharedUse use;
    const RWFactoryEntry* entry = FindById(id);
    return entry ? entry->Name() : RWStringID();
}

RWClassID RWFactory::ClassIdOf(const RWStringID& name) const
{
    SharedUse use;
    const RWFactoryEntry* entry = FindEntry(KeyOf(name));
    return entry ? entry->Id() : RWNoClassId;
}

std::vector<RWFactoryClass> RWFactory::Classes() const
{
    SharedUse use;
    return ListClasses();
}

RWFactory* GetFactory()
{
    ExclusiveUse use;
    return EnsureFactory();
}

RWFactory* RWFactoryInstance()
{
    SharedUse use;
    return g_factory.load();
}

void RWFactoryRegister(RWCreateFunction create, RWClassID id, const RWStringID& name, RWKindOfFunction kindOf)
{
    RWFactoryAccess::Add(create, id, name, kindOf);
}

void RWFactoryRegister(RWCreateFunction create, RWClassID id)
{
    RWFactoryRegister(create, id, RWStringID(RWStringID::kUnnamed));
}

void RWFactoryUnregister(RWClassID id) { RWFactoryAccess::Remove(KeyOf(id)); }
void RWFactoryUnregister(const RWStringID& name) { RWFactoryAccess::Remove(KeyOf(name)); }

RWCollectable* RWFactoryCreate(RWClassID id)
{
    RWCreateFunction create = nullptr;
    if (const RWClassIndex::Answer* answer = RWFactoryAccess::Answer(id)) {
        create = answer->create;
    } else {
        SharedUse use;
        if (const RWFactoryEntry* entry = RWFactoryAccess::Find(id))
            create = entry->Function();
    }
    return create ? create() : nullptr;
}

RWCollectable* RWFactoryCreate(const RWStringID& name)
{
    RWCreateFunction create = nullptr;
    {
        SharedUse use;
        if (const RWFactoryEntry* entry = RWFactoryAccess::Find(KeyOf(name)))
            create = entry->Function();
    }
    return create ? create() : nullptr;
}

RWStringID RWFactoryStringId(RWClassID id)
{
    SharedUse use;
    const RWFactoryEntry* entry = RWFactoryAccess::Find(id);
    return entry ? entry->Name() : RWStringID();
}

RWClassID RWFactoryClassId(const RWStringID& name)
{
    SharedUse use;
    const RWFactoryEntry* entry = RWFactoryAccess::Find(KeyOf(name));
    return entry ? entry->Id() : RWNoClassId;
}

std::vector<RWFactoryClass> RWFactoryClasses() { return RWFactoryAccess::Classes(); }

namespace {

template <class Key>
RWKindOfFunction KindOfFunction(const Key& key)
{
    SharedUse use;
    const RWFactoryEntry* entry = RWFactoryAccess::Find(key);
    return entry ? entry->KindOf() : nullptr;
}

RWKindAnswer KindOfAnswer(RWKindOfFunction kindOf, RWClassID kind)
{
    if (!kindOf)
        return RWKindAnswer::Unknown;
    return kindOf(kind) ? RWKindAnswer::Yes : RWKindAnswer::No;
}

} // namespace

RWKindAnswer RWFactoryIsKindOf(RWClassID id, RWClassID kind)
{
    const RWClassIndex::Answer* answer = RWFactoryAccess::Answer(id);
    return KindOfAnswer(answer ? answer->kindOf : KindOfFunction(id), kind);
}

RWKindAnswer RWFactoryIsKindOf(const RWStringID& name, RWClassID kind)
{
    return KindOfAnswer(KindOfFunction(KeyOf(name)), kind);
}

RWFactoryRegistration::RWFactoryRegistration(RWCreateFunction create, RWClassID id, const char* name,
                                             RWKindOfFunction kindOf)
    : id_(id), name_(name ? name : RWStringID::kUnnamed)
{
    RWFactoryRegister(create, id_, RWStringID(name_), kindOf);
}

RWFactoryRegistration::~RWFactoryRegistration()
{
    RWFactoryUnregister(id_);
    RWFactoryUnregister(RWStringID(name_));
}
