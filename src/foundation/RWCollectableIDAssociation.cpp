#include "foundation/RWCollectableIDAssociation.h"

#include "foundation/RWFactory.h"

#include <cstdint>

namespace {

const RWClassRegistration<RWCollectableIDAssociation> g_idAssociationRegistration("RWCollectableIDAssociation");

} // namespace

RWCollectable* RWCollectableIDAssociation::CreateNew() const { return new RWCollectableIDAssociation; }
RWCollectable* RWCollectableIDAssociation::Copy() const { return new RWCollectableIDAssociation(key_, value_); }
RWClassID RWCollectableIDAssociation::ClassId() const { return kClassId; }

uint32_t RWCollectableIDAssociation::Hash() const { return RWAddressHash(key_); }

const void* RWCollectableIDAssociation::AddressOf(const RWCollectable* other)
{
    if (other && other->ClassId() == kClassId)
        if (const RWCollectableIDAssociation* id = dynamic_cast<const RWCollectableIDAssociation*>(other))
            return id->key_;
    return other;
}

int RWCollectableIDAssociation::CompareTo(const RWCollectable* other) const
{
    const uintptr_t mine = reinterpret_cast<uintptr_t>(key_);
    const uintptr_t theirs = reinterpret_cast<uintptr_t>(AddressOf(other));
    return mine == theirs ? 0 : (mine < theirs ? -1 : 1);
}

bool RWCollectableIDAssociation::IsEqual(const RWCollectable* other) const
{
    return other && AddressOf(other) == key_;
}
