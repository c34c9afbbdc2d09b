#include "foundation/RWCollectableAssociation.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWFactory.h"

namespace {

const RWClassRegistration<RWCollectableAssociation> g_associationRegistration("RWCollectableAssociation");

uint32_t ReferenceSize(const RWCollectable* obj) { return (obj ? obj : &RWNilObject)->RecursiveStoreSize(); }

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

uint32_t RWCollectableAssociation::BinaryStoreSize() const { return ReferenceSize(key_) + ReferenceSize(value_); }

void RWCollectableAssociation::SaveGuts(RWBinaryFile& file) const { file << key_ << value_; }
void RWCollectableAssociation::SaveGuts(RWDataOutStream& stream) const { stream << key_ << value_; }

void RWCollectableAssociation::RestoreGuts(RWBinaryFile& file)
{
    key_ = value_ = nullptr;
    RWCollectable* key = nullptr;
    file >> key >> value_;
    AdoptRestoredKey(key);
}

void RWCollectableAssociation::RestoreGuts(RWDataInStream& stream)
{
    key_ = value_ = nullptr;
    RWCollectable* key = nullptr;
    stream >> key >> value_;
    AdoptRestoredKey(key);
}

void RWCollectableAssociation::AdoptRestoredKey(RWCollectable* key)
{
    if (RWAsAssociation(key) && IsBeingRestored(key)) {
        RWRaiseInternal(RWMessageBadReference());
        return;
    }
    key_ = key;
}
