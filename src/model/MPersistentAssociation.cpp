#include "model/MPersistentAssociation.h"

namespace {

// A copy owned by the caller, null for null.
GObjectBase* CopyOf(const GObjectBase* object) { return object ? object->Copy() : nullptr; }

// Theirs does not differ from mine; null is alike only to null.
bool Alike(const GObjectBase* mine, const GObjectBase* theirs)
{
    return theirs ? !theirs->Differs(mine) : mine == nullptr;
}

} // namespace

MPersistentAssociation::MPersistentAssociation() {}

MPersistentAssociation::MPersistentAssociation(GObjectBase* key, GObjectBase* value, const long& id)
    : GPersistent(id), key_(key), value_(value)
{
}

MPersistentAssociation::MPersistentAssociation(const MPersistentAssociation& other)
    : GPersistent(), key_(CopyOf(other.GetKey())), value_(CopyOf(other.GetValue()))
{
}

MPersistentAssociation& MPersistentAssociation::operator=(const MPersistentAssociation& other)
{
    if (this != &other) {
        // The copies are made before the old objects go: the other's key may be one of
        // them.
        GCountedRef key(CopyOf(other.GetKey()));
        GCountedRef value(CopyOf(other.GetValue()));
        key_.Swap(key);
        value_.Swap(value);
    }
    return *this;
}

MPersistentAssociation::~MPersistentAssociation() {}

bool MPersistentAssociation::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const MPersistentAssociation* association = GSameClass<MPersistentAssociation>(this, other);
    return association && GObjectBase::IsSame(association) && Alike(GetKey(), association->GetKey()) &&
           Alike(GetValue(), association->GetValue());
}
