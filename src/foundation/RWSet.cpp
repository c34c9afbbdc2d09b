#include "foundation/RWSet.h"

#include "foundation/RWFactory.h"

namespace {
const RWClassRegistration<RWSet> g_setRegistration("RWSet");
} // namespace

RWCollectable* RWSet::CreateNew() const { return new RWSet; }
RWCollectable* RWSet::Copy() const { return new RWSet(*this); }
RWClassID RWSet::ClassId() const { return kClassId; }

bool RWSet::IsEqual(const RWCollectable* other) const
{
    return other && other->ClassId() == kClassId && SameContents(*static_cast<const RWSet*>(other));
}

void RWSet::ClearAndDestroy()
{
    ClearThenDestroy(MemberList());
}

RWCollectable* RWSet::Insert(RWCollectable* obj)
{
    if (RWCollectable* kept = Find(obj))
        return kept;
    return RWHashTable::Insert(obj);
}

size_t RWSet::OccurrencesOf(const RWCollectable* obj) const { return Find(obj) ? 1 : 0; }

bool RWSet::IsSubsetOf(const RWSet& other) const
{
    RWSetIterator it(const_cast<RWSet&>(*this));
    while (RWCollectable* m = it.Next())
        if (!other.Contains(m))
            return false;
    return true;
}

bool RWSet::IsProperSubsetOf(const RWSet& other) const { return Entries() < other.Entries() && IsSubsetOf(other); }

void RWSet::IntersectWith(const RWSet& other)
{
    if (other.IsEmpty()) {
        Clear();
        return;
    }
    RWSetIterator it(*this);
    while (RWCollectable* m = it.Next())
        if (!other.Contains(m))
            it.RemoveCurrent();
}

void RWSet::IntersectionInto(const RWSet& other, RWSet& result) const
{
    const RWSet& walked = Entries() < other.Entries() ? *this : other;
    const RWSet& tested = &walked == this ? other : *this;
    RWSetIterator it(const_cast<RWSet&>(walked));
    while (RWCollectable* m = it.Next())
        if (tested.Contains(m))
            result.Insert(m);
}
