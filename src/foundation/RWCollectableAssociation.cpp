#include "foundation/RWCollectableAssociation.h"

namespace {

// True when obj is an association with a null key.
bool HasNullKey(const RWCollectable* obj)
{
    const RWCollectableAssociation* a = RWAsAssociation(obj);
    return a && !a->Key();
}

} // namespace

RWCollectable* RWCollectableAssociation::CreateNew() const { return new RWCollectableAssociation; }
RWCollectable* RWCollectableAssociation::Copy() const { return new RWCollectableAssociation(key_, value_); }
RWClassID RWCollectableAssociation::ClassId() const { return kClassId; }

uint32_t RWCollectableAssociation::Hash() const { return key_ ? key_->Hash() : 0; }

int RWCollectableAssociation::CompareTo(const RWCollectable* other) const
{
    if (!key_)
        return HasNullKey(other) ? 0 : -1;
    if (!other)
        return 1;
    // The sign only: negating the smallest int would overflow.
    const int order = other->CompareTo(key_);
    return order > 0 ? -1 : (order < 0 ? 1 : 0);
}

bool RWCollectableAssociation::IsEqual(const RWCollectable* other) const
{
    if (!other)
        return false;
    if (!key_)
        return HasNullKey(other);
    return other->IsEqual(key_);
}

RWCollectable* RWCollectableAssociation::SetValue(RWCollectable* value)
{
    RWCollectable* old = value_;
    value_ = value;
    return old;
}
