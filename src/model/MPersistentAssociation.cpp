#include "model/MPersistentAssociation.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"

namespace {

const RWClassRegistration<MPersistentAssociation> g_registration("MPersistentAssociation");

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
    : GObjectBase(id), key_(key), value_(value)
{
}

MPersistentAssociation::MPersistentAssociation(const MPersistentAssociation& other)
    : GObjectBase(), key_(CopyOf(other.GetKey())), value_(CopyOf(other.GetValue()))
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

MPersistentAssociation* MPersistentAssociation::CreateNew() const { return new MPersistentAssociation; }
MPersistentAssociation* MPersistentAssociation::Copy() const { return new MPersistentAssociation(*this); }
RWClassID MPersistentAssociation::ClassId() const { return kClassId; }

uint32_t MPersistentAssociation::BinaryStoreSize() const
{
    return GObjectBase::BinaryStoreSize() + 4 + ReferenceSize(GetKey()) + ReferenceSize(GetValue());
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

void MPersistentAssociation::RestoreGuts(RWDataInStream& stream)
{
    GObjectBase::RestoreGuts(stream);
    ReadFields(stream);
}

void MPersistentAssociation::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    ReadFields(file);
}

void MPersistentAssociation::SaveGuts(RWDataOutStream& stream) const
{
    GObjectBase::SaveGuts(stream);
    WriteFields(stream);
}

void MPersistentAssociation::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteFields(file);
}

bool MPersistentAssociation::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GObjectBase::IsKindOf(classId);
}

bool MPersistentAssociation::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const MPersistentAssociation* association = GSameClass<MPersistentAssociation>(this, other);
    return association && GObjectBase::IsSame(association) && Alike(GetKey(), association->GetKey()) &&
           Alike(GetValue(), association->GetValue());
}
