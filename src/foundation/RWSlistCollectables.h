// A singly linked, ordered collection of collectables. Each member sits in a heap link
// {next, member} that the list owns; the members are never owned.
#pragma once

#include "foundation/RWSequenceable.h"
#include "foundation/RWSlistBase.h"

class RWSlistCollectablesIterator;

// The link of one member.
struct RWCollectableLink : RWSlistLink {
    RWCollectable* item;
};

class RWSlistCollectables : public RWSequenceable, protected RWSlistBase {
public:
    static constexpr RWClassID kClassId = 0x8033;
    static bool KindOfClass(RWClassID kind) { return kind == kClassId || RWSequenceable::KindOfClass(kind); }

    RWSlistCollectables() {}
    // A list holding one member.
    explicit RWSlistCollectables(RWCollectable* obj);
    // Both lists share the members.
    RWSlistCollectables(const RWSlistCollectables& other);
    // Clears this list, then appends each member of other in order.
    RWSlistCollectables& operator=(const RWSlistCollectables& other);
    // Frees the links only.
    ~RWSlistCollectables() override;

    RWCollectable* CreateNew() const override;
    RWCollectable* Copy() const override;
    RWClassID ClassId() const override;
    // True when other is a list of this class with pairwise equal members, in order.
    bool IsEqual(const RWCollectable* other) const override;

    void Apply(RWApplyCollectable fn, void* arg) const override;
    // Frees every link.
    void Clear() override;
    using RWSequenceable::Contains; // not the link test of the list base
    size_t Entries() const override { return RWSlistBase::Entries(); }
    RWCollectable* Find(const RWCollectable* obj) const override;
    // Appends.
    RWCollectable* Insert(RWCollectable* obj) override;
    bool IsEmpty() const override { return RWSlistBase::IsEmpty(); }
    size_t OccurrencesOf(const RWCollectable* obj) const override;
    // Unlinks the first member equal to obj.
    RWCollectable* Remove(const RWCollectable* obj) override;

    RWCollectable* Append(RWCollectable* obj) override;
    // An index not below the count raises the index error and gives null; a write
    // after the error goes to a scratch slot and is lost.
    RWCollectable* At(size_t i) const override;
    RWCollectable*& At(size_t i) override;
    RWCollectable* First() const override;
    size_t Index(const RWCollectable* obj) const override;
    // An index above the count raises the index error, inserts nothing and gives null.
    RWCollectable* InsertAt(size_t i, RWCollectable* obj) override;
    RWCollectable* Last() const override;
    RWCollectable* Prepend(RWCollectable* obj) override;
    // An index not below the count raises the index error, inserts nothing and gives null.
    RWCollectable* InsertAfter(size_t i, RWCollectable* obj) override;

    // The same searches by address.
    RWCollectable* FindReference(const RWCollectable* obj) const;
    size_t OccurrencesOfReference(const RWCollectable* obj) const;
    RWCollectable* RemoveReference(const RWCollectable* obj);

protected:
    // The plain list steps, which subclasses that redefine the collection operations
    // still build on.
    RWCollectable* AppendMember(RWCollectable* obj);
    RWCollectable* PrependMember(RWCollectable* obj);
    // Unlinks the first member, null when empty.
    RWCollectable* RemoveFirst();
    // Unlinks the first member that passes test.
    RWCollectable* RemoveMatching(RWTestCollectable test, const void* arg);
    // True when other answers the class id and is a list with pairwise equal members,
    // in order.
    bool IsEqualList(const RWCollectable* other, RWClassID classId) const;

    static RWCollectableLink* NewLink(RWCollectable* obj);
    static RWCollectable* Member(const RWSlistLink* link) { return static_cast<const RWCollectableLink*>(link)->item; }
    // Frees an unlinked link and hands back its member.
    static RWCollectable* FreeLink(RWSlistLink* link);

private:
    friend class RWSlistCollectablesIterator;

    // The first link after `from` whose member passes test, or null; `before` gets the
    // link ahead of it.
    const RWSlistLink* FindLink(RWTestCollectable test, const void* arg, const RWSlistLink* from,
                                const RWSlistLink** before) const;
    size_t Count(RWTestCollectable test, const void* arg) const;
};

// True when member is the very object arg.
int RWCollectableIsSame(const RWCollectable* member, const void* arg);
