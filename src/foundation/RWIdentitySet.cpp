#include "foundation/RWIdentitySet.h"

#include "foundation/RWFactory.h"
#include "foundation/RWSlistCollectables.h"

namespace {
const RWClassRegistration<RWIdentitySet> g_identitySetRegistration("RWIdentitySet");
} // namespace

RWCollectable* RWIdentitySet::CreateNew() const { return new RWIdentitySet; }
RWCollectable* RWIdentitySet::Copy() const { return new RWIdentitySet(*this); }
RWClassID RWIdentitySet::ClassId() const { return kClassId; }

bool RWIdentitySet::IsEqual(const RWCollectable* other) const
{
    return other && other->ClassId() == kClassId && SameContents(*static_cast<const RWIdentitySet*>(other));
}

RWCollectable* RWIdentitySet::Find(const RWCollectable* obj) const
{
    if (!obj)
        return nullptr;
    RWSlistCollectables* bucket = BucketOf(RWAddressHash(obj), false);
    return bucket ? bucket->FindReference(obj) : nullptr;
}

RWCollectable* RWIdentitySet::Insert(RWCollectable* obj)
{
    if (!obj)
        return nullptr;
    RWSlistCollectables* bucket = BucketOf(RWAddressHash(obj), true);
    if (RWCollectable* kept = bucket->FindReference(obj))
        return kept;
    bucket->Append(obj);
    Counted();
    return obj;
}

RWCollectable* RWIdentitySet::Remove(const RWCollectable* obj)
{
    if (!obj)
        return nullptr;
    RWSlistCollectables* bucket = BucketOf(RWAddressHash(obj), false);
    RWCollectable* removed = bucket ? bucket->RemoveReference(obj) : nullptr;
    if (removed)
        Uncounted();
    return removed;
}
