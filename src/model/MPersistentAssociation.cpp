#include "model/MPersistentAssociation.h"

#include "model/GStoredFields.h"

namespace {

// A copy owned by the caller, null for null.
GObjectBase* CopyOf(const GObjectBase* object) { return object ? object->Copy() : nullptr; }

// The bytes of one object reference; null is the nil object.
uint32_t ReferenceSize(const GObjectBase* object)
{
    return (object ? static_cast<const RWCollectable*>(object) : &RWNilObject)->RecursiveStoreSize();
}

// One object reference for a counted holder: false when the read failed, as opposed to
// a stored null.
template <class In>
bool ReadHeld(In& in, GCountedRef& held)
{
    held.Set(GObjectBase::RestoreHeld(in));
    return held || !GObjectBase::RestoreStopped(in);
}

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

uint32_t MPersistentAssociation::FieldsSize() const
{
    return 4 + ReferenceSize(GetKey()) + ReferenceSize(GetValue());
}

template <class In>
void MPersistentAssociation::ReadFields(In& in)
{
    GCountedRef key;
    GCountedRef value;
    if (!GReadFields(in) || !ReadHeld(in, key) || !ReadHeld(in, value))
        return;
    key_.Swap(key);
    value_.Swap(value);
}

template <class Out>
void MPersistentAssociation::WriteFields(Out& out) const
{
    GWriteFields(out);
    out << static_cast<const RWCollectable*>(GetKey());
    out << static_cast<const RWCollectable*>(GetValue());
}

bool MPersistentAssociation::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const MPersistentAssociation* association = GSameClass<MPersistentAssociation>(this, other);
    return association && GObjectBase::IsSame(association) && Alike(GetKey(), association->GetKey()) &&
           Alike(GetValue(), association->GetValue());
}

// The stored form for every medium, for the base's savers and restorers elsewhere.
template void MPersistentAssociation::ReadFields(RWBinaryFile&);
template void MPersistentAssociation::ReadFields(RWDataInStream&);
template void MPersistentAssociation::WriteFields(RWBinaryFile&) const;
template void MPersistentAssociation::WriteFields(RWDataOutStream&) const;
