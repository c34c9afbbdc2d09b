// An association whose key is known by its address: it hashes, orders and compares by
// the key's address and never calls the key itself.
#pragma once

#include "foundation/RWCollectableAssociation.h"

class RWCollectableIDAssociation : public RWCollectableAssociation {
public:
    static constexpr RWClassID kClassId = 0x805F;

    RWCollectableIDAssociation() {}
    RWCollectableIDAssociation(RWCollectable* key, RWCollectable* value) : RWCollectableAssociation(key, value) {}

    RWCollectable* CreateNew() const override;
    RWCollectable* Copy() const override;
    RWClassID ClassId() const override;
    // k XOR (k >> 3), k being the key's address.
    uint32_t Hash() const override;
    // The key's address against other's: other's key when other is an identity
    // association too, else other itself.
    int CompareTo(const RWCollectable* other) const override;
    // True when the key is the address CompareTo compares with.
    bool IsEqual(const RWCollectable* other) const override;

private:
    // The address this association is compared with when it meets other.
    static const void* AddressOf(const RWCollectable* other);
};
