// A set whose members are unique by address. The members' own Hash and IsEqual are
// never called: an object's bucket comes from its address.
#pragma once

#include "foundation/RWSet.h"

class RWIdentitySet : public RWSet {
public:
    static constexpr RWClassID kClassId = 0x8025;

    explicit RWIdentitySet(uint32_t buckets = kDefaultBuckets) : RWSet(buckets) {}
    RWIdentitySet(const RWIdentitySet&) = default;
    RWIdentitySet& operator=(const RWIdentitySet&) = default;

    RWCollectable* CreateNew() const override;
    RWCollectable* Copy() const override;
    RWClassID ClassId() const override;
    // True when other is an identity set holding the same objects.
    bool IsEqual(const RWCollectable* other) const override;

    // obj itself when it is a member, else null.
    RWCollectable* Find(const RWCollectable* obj) const override;
    // The member when obj is already one, else obj.
    RWCollectable* Insert(RWCollectable* obj) override;
    RWCollectable* Remove(const RWCollectable* obj) override;
};
