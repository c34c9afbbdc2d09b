#include "foundation/RWCollection.h"

#include "foundation/RWIdentitySet.h"

#include <vector>

namespace {

void Gather(RWCollectable* member, void* arg) { static_cast<std::vector<RWCollectable*>*>(arg)->push_back(member); }

// The members in the collection's order, taken before a loop changes a collection, so
// that a collection can be combined with itself.
std::vector<RWCollectable*> Members(const RWCollection& c)
{
    std::vector<RWCollectable*> members;
    members.reserve(c.Entries());
    c.Apply(Gather, &members);
    return members;
}

} // namespace

RWClassID RWCollection::ClassId() const { return kClassId; }

void RWCollection::ClearAndDestroy()
{
    // An identity set takes an object held several times once.
    RWIdentitySet distinct(uint32_t(Entries() / 4));
    Apply([](RWCollectable* m, void* set) { static_cast<RWIdentitySet*>(set)->Insert(m); }, &distinct);
    ClearThenDestroy(distinct);
}

void RWCollection::ClearThenDestroy(const RWCollection& distinct)
{
    // The members go after Clear, so that a member's destructor never meets a
    // collection that still lists it.
    Clear();
    for (RWCollectable* member : Members(distinct))
        if (member != &RWNilObject && member != this)
            delete member;
}

bool RWCollection::Contains(const RWCollectable* obj) const { return Find(obj) != nullptr; }

void RWCollection::RemoveAndDestroy(const RWCollectable* obj)
{
    RWCollectable* removed = Remove(obj);
    if (removed != &RWNilObject)
        delete removed;
}

RWCollection* RWCollection::Select(RWTestCollectable test, const void* arg) const
{
    RWCollection* result = static_cast<RWCollection*>(CreateNew());
    for (RWCollectable* member : Members(*this))
        if (test(member, arg))
            result->Insert(member);
    return result;
}

void RWCollection::AddContentsFrom(const RWCollection& other)
{
    for (RWCollectable* member : Members(other))
        Insert(member);
}

void RWCollection::AddContentsTo(RWCollection& other) const { other.AddContentsFrom(*this); }

void RWCollection::CopyContentsTo(RWCollection& other) const
{
    for (RWCollectable* member : Members(*this))
        if (member)
            other.Insert(member->Copy());
}

void RWCollection::RemoveContentsOf(const RWCollection& other)
{
    for (RWCollectable* member : Members(other))
        Remove(member);
}

void RWCollection::RestoreBegin() { Clear(); }

void RWCollection::RestoreMember(RWCollectable* member)
{
    if (member && member != &RWNilObject)
        RestoreInsert(member);
}

void RWCollection::RestoreInsert(RWCollectable* member) { Insert(member); }
