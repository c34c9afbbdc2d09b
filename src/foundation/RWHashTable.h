// An unordered collection of collectables kept in buckets; duplicates are allowed.
//
// A member lives in the bucket whose index is its Hash() modulo the bucket count. Each
// bucket is a list created on the first insertion into it. The bucket count changes only
// through Resize or assignment, never by itself.
#pragma once

#include "foundation/RWCollection.h"
#include "foundation/RWIterator.h"

#include <cstdint>

class RWSet;
class RWSlistCollectables;
class RWSlistCollectablesIterator;

class RWHashTable : public RWCollection {
public:
    static constexpr RWClassID kClassId = 0x805E;
    static bool KindOfClass(RWClassID kind) { return kind == kClassId || RWCollection::KindOfClass(kind); }
    // The bucket count of tables that the class factory creates.
    static constexpr uint32_t kDefaultBuckets = 64;

    // A count of 0 becomes 2.
    explicit RWHashTable(uint32_t buckets = kDefaultBuckets);
    // Same bucket count and members; every bucket list is a new one.
    RWHashTable(const RWHashTable& other);
    // Clear, then the other's bucket count and members. Assigning a table to itself does
    // nothing.
    RWHashTable& operator=(const RWHashTable& other);
    ~RWHashTable() override;

    RWCollectable* CreateNew() const override;
    RWCollectable* Copy() const override;
    RWClassID ClassId() const override;
    // True when other is a table of this class with the same number of entries, and no
    // member of this table occurs here more often than in other.
    bool IsEqual(const RWCollectable* other) const override;

    void Apply(RWApplyCollectable fn, void* arg) const override;
    // Frees every bucket list; the members are untouched.
    void Clear() override;
    size_t Entries() const override { return entries_; }
    RWCollectable* Find(const RWCollectable* obj) const override;
    // Adds obj to its bucket and returns it. A null obj has no bucket: nothing is
    // inserted and the answer is null.
    RWCollectable* Insert(RWCollectable* obj) override;
    bool IsEmpty() const override { return entries_ == 0; }
    size_t OccurrencesOf(const RWCollectable* obj) const override;
    RWCollectable* Remove(const RWCollectable* obj) override;

    // Rebuilds the table with n buckets (0: one and a half times the entries, at least
    // 16), inserting every member again through Insert.
    virtual void Resize(uint32_t n = 0);

    uint32_t Buckets() const { return bucketCount_; }
    // A set with Entries/2 buckets (at least 2) holding every member once.
    RWSet AsSet() const;

    bool operator==(const RWHashTable& other) const { return IsEqual(&other); }
    bool operator!=(const RWHashTable& other) const { return !IsEqual(&other); }

protected:
    // The bucket of a hash value; null when the bucket was never used and create is
    // not set.
    RWSlistCollectables* BucketOf(uint32_t hash, bool create) const;
    // Counts one member in or out; the buckets are changed by the caller.
    void Counted() { ++entries_; }
    void Uncounted() { --entries_; }
    // The content rule of IsEqual, once the class ids matched.
    bool SameContents(const RWHashTable& other) const;

private:
    friend class RWHashTableIterator;

    void CopyBuckets(const RWHashTable& other);
    void FreeBuckets();

    uint32_t bucketCount_;
    RWSlistCollectables** buckets_;
    uint32_t entries_;
};

// Walks a hash table bucket by bucket, each bucket in insertion order.
class RWHashTableIterator : public RWIterator {
public:
    explicit RWHashTableIterator(RWHashTable& table);
    // The copy stands at the same position.
    RWHashTableIterator(const RWHashTableIterator& other);
    RWHashTableIterator& operator=(const RWHashTableIterator& other);
    ~RWHashTableIterator() override;

    RWCollectable* FindNext(const RWCollectable* obj) override;
    RWCollectable* Key() const override;
    RWCollectable* Next() override;
    void Reset() override;

    // Unlinks the current member and returns it; the next step reaches the member that
    // followed it. Null when the iterator is not on a member.
    RWCollectable* RemoveCurrent();
    // Removes and returns the next member equal to obj after the current position; the
    // iterator does not move. Null when there is none.
    RWCollectable* RemoveNext(const RWCollectable* obj);

private:
    // Moves to the first used bucket at or after index and makes an iterator on it;
    // false, with no bucket iterator, when the buckets end.
    bool EnterBucket(int32_t index);

    RWHashTable* table_;
    int32_t bucket_;
    RWSlistCollectablesIterator* iterator_;
};
