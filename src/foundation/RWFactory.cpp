#include "foundation/RWFactory.h"

#include "foundation/RWRefCount.h"

namespace {

// Both locks and the instance pointer are constant-initialised, so registrations from
// static constructors of any file find them ready. A lock destroyed at unload before a
// later registration object comes back on that object's first use.
RWStringLock g_creationLock;
RWStringLock g_memberLock;
RWFactory* g_factory = nullptr;

// What the lookups run on: the instance, held for as long as the lookup lasts so that
// an unregistration on another thread cannot destroy it meanwhile.
class FactoryUse {
public:
    FactoryUse() : guard_(g_creationLock) {}
    RWFactory* Factory() const { return g_factory; }

private:
    RWStringLockGuard guard_;
};

// Removes through f and destroys the instance when that emptied it.
template <class Remove>
void Unregister(Remove remove)
{
    RWStringLockGuard guard(g_creationLock);
    if (!g_factory)
        return;
    remove(*g_factory);
    if (g_factory->IsEmpty()) {
        delete g_factory;
        g_factory = nullptr;
    }
}

} // namespace

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

RWFactory::~RWFactory()
{
    RWStringLockGuard guard(g_memberLock);
    ClearAndDestroy();
}

void RWFactory::AddFunction(RWCreateFunction create, RWClassID id, const RWStringID& name)
{
    RWStringLockGuard guard(g_memberLock);
    RWFactoryEntry* entries[] = {new (std::nothrow) RWFactoryEntryById(id, create, name),
                                 new (std::nothrow) RWFactoryEntryByName(id, create, name)};
    for (RWFactoryEntry* entry : entries)
        if (entry && Insert(entry) != entry)
            delete entry;
}

const RWFactoryEntry* RWFactory::FindEntry(const RWFactoryEntry& key) const
{
    return static_cast<const RWFactoryEntry*>(Find(&key));
}

void RWFactory::RemoveEntry(const RWFactoryEntry& key)
{
    RWStringLockGuard guard(g_memberLock);
    delete Remove(&key);
}

void RWFactory::RemoveFunction(RWClassID id) { RemoveEntry(RWFactoryEntryById(id, nullptr, RWStringID())); }

void RWFactory::RemoveFunction(const RWStringID& name)
{
    RemoveEntry(RWFactoryEntryByName(RWNoClassId, nullptr, name));
}

RWCreateFunction RWFactory::GetFunction(RWClassID id) const
{
    RWStringLockGuard guard(g_memberLock);
    const RWFactoryEntry* entry = FindEntry(RWFactoryEntryById(id, nullptr, RWStringID()));
    return entry ? entry->Function() : nullptr;
}

RWCreateFunction RWFactory::GetFunction(const RWStringID& name) const
{
    RWStringLockGuard guard(g_memberLock);
    const RWFactoryEntry* entry = FindEntry(RWFactoryEntryByName(RWNoClassId, nullptr, name));
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
    RWStringLockGuard guard(g_memberLock);
    const RWFactoryEntry* entry = FindEntry(RWFactoryEntryById(id, nullptr, RWStringID()));
    return entry ? entry->Name() : RWStringID();
}

RWClassID RWFactory::ClassIdOf(const RWStringID& name) const
{
    RWStringLockGuard guard(g_memberLock);
    const RWFactoryEntry* entry = FindEntry(RWFactoryEntryByName(RWNoClassId, nullptr, name));
    return entry ? entry->Id() : RWNoClassId;
}

std::vector<RWFactoryClass> RWFactory::Classes() const
{
    RWStringLockGuard guard(g_memberLock);
    std::vector<RWFactoryClass> classes;
    Apply(
        [](RWCollectable* m, void* out) {
            if (const RWFactoryEntryById* entry = dynamic_cast<const RWFactoryEntryById*>(m))
                static_cast<std::vector<RWFactoryClass>*>(out)->push_back(
                    {entry->Id(), entry->Name(), entry->Function()});
        },
        &classes);
    return classes;
}

RWFactory* GetFactory()
{
    RWStringLockGuard guard(g_creationLock);
    if (!g_factory)
        g_factory = new (std::nothrow) RWFactory;
    return g_factory;
}

RWFactory* RWFactoryInstance()
{
    RWStringLockGuard guard(g_creationLock);
    return g_factory;
}

void RWFactoryRegister(RWCreateFunction create, RWClassID id, const RWStringID& name)
{
    RWStringLockGuard guard(g_creationLock);
    if (RWFactory* factory = GetFactory())
        factory->AddFunction(create, id, name);
}

void RWFactoryRegister(RWCreateFunction create, RWClassID id)
{
    RWFactoryRegister(create, id, RWStringID(RWStringID::kUnnamed));
}

void RWFactoryUnregister(RWClassID id)
{
    Unregister([id](RWFactory& f) { f.RemoveFunction(id); });
}

void RWFactoryUnregister(const RWStringID& name)
{
    Unregister([&name](RWFactory& f) { f.RemoveFunction(name); });
}

RWCollectable* RWFactoryCreate(RWClassID id)
{
    RWCreateFunction create = nullptr;
    {
        FactoryUse use;
        if (use.Factory())
            create = use.Factory()->GetFunction(id);
    }
    return create ? create() : nullptr;
}

RWCollectable* RWFactoryCreate(const RWStringID& name)
{
    RWCreateFunction create = nullptr;
    {
        FactoryUse use;
        if (use.Factory())
            create = use.Factory()->GetFunction(name);
    }
    return create ? create() : nullptr;
}

RWStringID RWFactoryStringId(RWClassID id)
{
    FactoryUse use;
    return use.Factory() ? use.Factory()->StringId(id) : RWStringID();
}

RWClassID RWFactoryClassId(const RWStringID& name)
{
    FactoryUse use;
    return use.Factory() ? use.Factory()->ClassIdOf(name) : RWNoClassId;
}

std::vector<RWFactoryClass> RWFactoryClasses()
{
    FactoryUse use;
    return use.Factory() ? use.Factory()->Classes() : std::vector<RWFactoryClass>();
}

RWFactoryRegistration::RWFactoryRegistration(RWCreateFunction create, RWClassID id, const char* name)
    : id_(id), name_(name ? name : RWStringID::kUnnamed)
{
    RWFactoryRegister(create, id_, RWStringID(name_));
}

RWFactoryRegistration::~RWFactoryRegistration()
{
    RWFactoryUnregister(id_);
    RWFactoryUnregister(RWStringID(name_));
}
