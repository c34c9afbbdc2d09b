// The class factory: the one registry that maps a class id and a class name to a
// function that makes a new object of the class, so that stored data can name a class
// and a reader can make an object of it.
//
// Every persistable class registers itself from a static RWFactoryRegistration when the
// module loads and unregisters when it unloads; the last unregistration destroys the
// factory. One read-mostly lock guards the process-wide instance's life and its
// contents: lookups by name share it, registration and removal take it alone. Making an
// object by id and asking its kind, which a restore does for every object, read the
// by-id index without the lock; they must not race the last unregistration, which only
// the module's unload makes. The lock is constant-initialised and needs no destruction,
// so any static constructor or destructor of the module may use it.
#pragma once

#include "foundation/RWSet.h"
#include "foundation/RWStringID.h"

#include <atomic>
#include <cstdint>
#include <new>
#include <vector>

// Makes a new object of one class; the caller owns it. May answer null.
typedef RWCollectable* (*RWCreateFunction)();

// The ancestry of one registered class: true when the class is a kind of the class with
// id kind (itself included). With it the factory answers kind questions from a stored
// class id alone, so a restore that expects a kind refuses an object of another class
// before the object is made and before any of its code runs.
typedef bool (*RWKindOfFunction)(RWClassID kind);

// The ancestry of T: its own id, then the chain of KindOfClass that T's nearest
// ancestors declare (each class that others derive from declares one).
template <class T>
bool RWKindOfClass(RWClassID kind)
{
    return kind == T::kClassId || T::KindOfClass(kind);
}

// What the factory knows of a stored class's kind.
enum class RWKindAnswer { Yes, No, Unknown };

// The create function of a default-constructible class.
template <class T>
RWCollectable* RWCreateInstance()
{
    return new (std::nothrow) T;
}

// One registration: class id, create function and class name. An entry is found either
// by its id or by its name, never both: an entry of one kind never equals an entry of
// the other, so an id lookup cannot answer with a name entry or the reverse.
class RWFactoryEntry : public RWCollectable {
public:
    RWFactoryEntry(RWClassID id, RWCreateFunction create, const RWStringID& name, RWKindOfFunction kindOf = nullptr)
        : id_(id), create_(create), name_(name), kindOf_(kindOf)
    {
    }

    RWClassID Id() const { return id_; }
    RWCreateFunction Function() const { return create_; }
    const RWStringID& Name() const { return name_; }
    RWKindOfFunction KindOf() const { return kindOf_; }

private:
    RWClassID id_;
    RWCreateFunction create_;
    RWStringID name_;
    RWKindOfFunction kindOf_;
};

// Hash: the class id; equal to another by-id entry with the same id.
class RWFactoryEntryById : public RWFactoryEntry {
public:
    using RWFactoryEntry::RWFactoryEntry;
    ~RWFactoryEntryById() override;
    uint32_t Hash() const override;
    bool IsEqual(const RWCollectable* other) const override;
};

// Hash: the exact hash of the name; equal to another by-name entry with the same name.
class RWFactoryEntryByName : public RWFactoryEntry {
public:
    using RWFactoryEntry::RWFactoryEntry;
    ~RWFactoryEntryByName() override;
    uint32_t Hash() const override;
    bool IsEqual(const RWCollectable* other) const override;
};

// A registered class as the by-id entries list it.
struct RWFactoryClass {
    RWClassID id;
    RWStringID name;
    RWCreateFunction create;
    RWKindOfFunction kindOf;
};

// A factory's by-id answers, read without a lock, so that threads restoring trees at
// once never meet on the factory for each object they make. 256 pages of 256 slots, a
// page made when the first class of its range is entered. A published answer never
// changes; one withdrawn is kept until the index ends, so a reader that read its slot
// before the withdrawal still reads a live answer. Writers hold the factory lock.
class RWClassIndex {
public:
    struct Answer {
        RWCreateFunction create;
        RWKindOfFunction kindOf;
        Answer* withdrawn;
    };

    RWClassIndex() = default;
    ~RWClassIndex();
    RWClassIndex(const RWClassIndex&) = delete;
    RWClassIndex& operator=(const RWClassIndex&) = delete;

    // The answer for the id; null when none is published.
    const Answer* Find(RWClassID id) const;
    // Publishes the answer for an id that has none (one that has keeps its own); false when there was no memory.
    bool Publish(RWClassID id, RWCreateFunction create, RWKindOfFunction kindOf);
    void Withdraw(RWClassID id);

private:
    static const uint32_t kPageSlots = 256;
    struct Page {
        std::atomic<const Answer*> slots[kPageSlots];
    };

    std::atomic<Page*> pages_[65536 / kPageSlots] = {};
    Answer* withdrawn_ = nullptr;
};

class RWFactory : public RWSet {
public:
    RWFactory();
    // Removes and deletes every entry; nobody else may use the factory by then.
    ~RWFactory() override;
    RWFactory(const RWFactory&) = delete;
    RWFactory& operator=(const RWFactory&) = delete;

    // Enters one entry by id and one by name. An id or a name that is already there
    // keeps its first registration; the new entry of that kind is dropped.
    void AddFunction(RWCreateFunction create, RWClassID id, const RWStringID& name, RWKindOfFunction kindOf = nullptr);
    // Removes and deletes the entry of that kind.
    void RemoveFunction(RWClassID id);
    void RemoveFunction(const RWStringID& name);
    // The create function, null when none is registered.
    RWCreateFunction GetFunction(RWClassID id) const;
    RWCreateFunction GetFunction(const RWStringID& name) const;
    // A new object of the class, null when no create function is registered.
    RWCollectable* Create(RWClassID id) const;
    RWCollectable* Create(const RWStringID& name) const;
    // The registered name, "NoID" when none.
    RWStringID StringId(RWClassID id) const;
    // The registered class id, RWNoClassId when none.
    RWClassID ClassIdOf(const RWStringID& name) const;
    // Every class registered by id, in no particular order.
    std::vector<RWFactoryClass> Classes() const;

private:
    // The process-wide operations, which hold the factory lock already.
    friend class RWFactoryAccess;

    // The caller holds the factory lock.
    void AddEntries(RWCreateFunction create, RWClassID id, const RWStringID& name, RWKindOfFunction kindOf);
    const RWFactoryEntry* FindEntry(const RWFactoryEntry& key) const;
    // The by-id entry of the id, found without making a key: a restore asks once per
    // object.
    const RWFactoryEntry* FindById(RWClassID id) const;
    void RemoveEntry(const RWFactoryEntry& key);
    std::vector<RWFactoryClass> ListClasses() const;

    // The create and kind functions of the by-id entries of the set, by their id.
    RWClassIndex byId_;
};

// The process-wide factory, created on the first call; null only when it cannot be
// allocated.
RWFactory* GetFactory();
// The process-wide factory when one exists; never creates it.
RWFactory* RWFactoryInstance();

void RWFactoryRegister(RWCreateFunction create, RWClassID id, const RWStringID& name,
                       RWKindOfFunction kindOf = nullptr);
// Registers under the name "No_RWStringID".
void RWFactoryRegister(RWCreateFunction create, RWClassID id);
// Each removes one entry; the one that leaves the factory empty destroys it.
void RWFactoryUnregister(RWClassID id);
void RWFactoryUnregister(const RWStringID& name);

// Lookups answer as the factory members do; with no factory they give the empty answer.
RWCollectable* RWFactoryCreate(RWClassID id);
RWCollectable* RWFactoryCreate(const RWStringID& name);
RWStringID RWFactoryStringId(RWClassID id);
RWClassID RWFactoryClassId(const RWStringID& name);
// Every registered class; empty with no factory.
std::vector<RWFactoryClass> RWFactoryClasses();
// Whether the class registered under the id (or the name) is a kind of the class with
// id kind, from the registered ancestry; Unknown for a class that is not registered or
// was registered without one. Nothing is made.
RWKindAnswer RWFactoryIsKindOf(RWClassID id, RWClassID kind);
RWKindAnswer RWFactoryIsKindOf(const RWStringID& name, RWClassID kind);

// Registers a class for as long as it lives: a static one per class registers the
// class when the module loads and unregisters it (by id, then by name) at unload.
class RWFactoryRegistration {
public:
    // name must be static text; null registers without a name. kindOf is the class's
    // ancestry (RWKindOfClass<T>).
    RWFactoryRegistration(RWCreateFunction create, RWClassID id, const char* name, RWKindOfFunction kindOf);
    ~RWFactoryRegistration();
    RWFactoryRegistration(const RWFactoryRegistration&) = delete;
    RWFactoryRegistration& operator=(const RWFactoryRegistration&) = delete;

private:
    RWClassID id_;
    const char* name_;
};

// The registration of a default-constructible class under its kClassId.
template <class T>
class RWClassRegistration : public RWFactoryRegistration {
public:
    explicit RWClassRegistration(const char* name)
        : RWFactoryRegistration(RWCreateInstance<T>, T::kClassId, name, RWKindOfClass<T>)
    {
    }
};
