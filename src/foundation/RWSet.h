// A hash table whose members are unique by IsEqual: inserting an object equal to a
// member keeps the member.
#pragma once

#include "foundation/RWHashTable.h"

class RWSet : public RWHashTable {
public:
    static constexpr RWClassID kClassId = 0x802B;
    static bool KindOfClass(RWClassID kind) { return kind == kClassId || RWHashTable::KindOfClass(kind); }

    explicit RWSet(uint32_t buckets = kDefaultBuckets) : RWHashTable(buckets) {}
    RWSet(const RWSet&) = default;
    RWSet& operator=(const RWSet&) = default;

    RWCollectable* CreateNew() const override;
    RWCollectable* Copy() const override;
    RWClassID ClassId() const override;
    // True when other is a set of this class with the same members.
    bool IsEqual(const RWCollectable* other) const override;

    // The members are distinct: each is deleted, then the set is cleared.
    void ClearAndDestroy() override;
    // The member equal to obj when there is one (nothing is inserted), else obj.
    RWCollectable* Insert(RWCollectable* obj) override;
    // 1 when a member equals obj, else 0.
    size_t OccurrencesOf(const RWCollectable* obj) const override;

    // Every member is contained in other.
    bool IsSubsetOf(const RWSet& other) const;
    // A subset with fewer entries than other.
    bool IsProperSubsetOf(const RWSet& other) const;
    // Keeps only the members that other contains.
    void IntersectWith(const RWSet& other);
    // Inserts into result every member of the smaller of the two sets that the other
    // one contains.
    void IntersectionInto(const RWSet& other, RWSet& result) const;
};

// Walks a set; the steps are those of the hash table iterator.
class RWSetIterator : public RWHashTableIterator {
public:
    explicit RWSetIterator(RWSet& set) : RWHashTableIterator(set) {}
};
