// A sorted map from key to value collectables: an RWBTree whose members are
// associations (RWCollectableAssociation) that the dictionary owns. The keys and values
// are never owned, except by ClearAndDestroy and RemoveAndDestroy. The collection
// operations take keys; keys are never null, values may be.
#pragma once

#include "foundation/RWBTree.h"
#include "foundation/RWCollectableAssociation.h"

// Called for each pair by ApplyToKeyAndValue.
typedef void (*RWApplyKeyAndValue)(RWCollectable* key, RWCollectable* value, void* arg);
// A pair test: non-zero when the pair qualifies.
typedef int (*RWTestKeyAndValue)(const RWCollectable* key, const RWCollectable* value, const void* arg);

class RWBTreeDictionary : public RWBTree {
public:
    static constexpr RWClassID kClassId = 0x8004;

    RWBTreeDictionary() {}
    // New associations over the same keys and values.
    RWBTreeDictionary(const RWBTreeDictionary& other);
    // Clears this dictionary, then copies the pairs of other as the copy constructor does.
    RWBTreeDictionary& operator=(const RWBTreeDictionary& other);
    // Deletes the associations.
    ~RWBTreeDictionary() override;

    RWCollectable* CreateNew() const override;
    RWCollectable* Copy() const override;
    RWClassID ClassId() const override;
    // True when other is a dictionary of this very class with as many pairs, and holds
    // every key of this one with an equal value (or null where this one has null).
    bool IsEqual(const RWCollectable* other) const override;

    // The associations belong to the dictionary.
    bool OwnsMembers() const override { return true; }

    // Deletes every association, then frees the nodes.
    void Clear() override;
    // Deletes every distinct association, key and value once, however many pairs hold
    // it, and empties the dictionary.
    void ClearAndDestroy() override;
    bool Contains(const RWCollectable* key) const override;
    // The stored key equal to key, or null.
    RWCollectable* Find(const RWCollectable* key) const override;
    // Adds an association and takes it over: returns it when it went in, the stored
    // association when its key is already present (the caller keeps its own), and null
    // for anything other than an association with a key (nothing inserted).
    RWCollectable* Insert(RWCollectable* association) override;
    size_t OccurrencesOf(const RWCollectable* key) const override;
    // Removes the pair and deletes its association; returns the stored key, or null.
    RWCollectable* Remove(const RWCollectable* key) override;
    // Removes the pair and deletes its key, its value (once when they are one object)
    // and its association; a key or value that is another pair's association stays.
    void RemoveAndDestroy(const RWCollectable* key) override;

    // The value stored under key, or null.
    RWCollectable* FindValue(const RWCollectable* key) const;
    // The stored key equal to key, with its value in value; null and null when absent.
    RWCollectable* FindKeyAndValue(const RWCollectable* key, RWCollectable*& value) const;
    // Replaces the value under key and returns the old one; null when key is absent
    // (nothing changes).
    RWCollectable* FindValue(const RWCollectable* key, RWCollectable* newValue);
    // Returns key when the pair went in; null when an equal key is already present (its
    // value is kept) or key is null.
    RWCollectable* InsertKeyAndValue(RWCollectable* key, RWCollectable* value);
    // As Remove, also handing out the value (null when absent).
    RWCollectable* RemoveKeyAndValue(const RWCollectable* key, RWCollectable*& value);

    // Calls fn(key, value, arg) in key order.
    void ApplyToKeyAndValue(RWApplyKeyAndValue fn, void* arg) const;
    // New dictionaries (the caller owns them) holding new associations over the same
    // keys and values, for every pair that passes the test.
    RWBTreeDictionary* SelectByKey(RWTestCollectable test, const void* arg) const;
    RWBTreeDictionary* SelectByKeyAndValue(RWTestKeyAndValue test, const void* arg) const;

protected:
    // The association stored under key, or null.
    RWCollectableAssociation* FindAssociation(const RWCollectable* key) const;
    // Removes the association stored under key and hands it over, or null.
    RWCollectableAssociation* RemoveAssociation(const RWCollectable* key);

    // A stored member must be an association ([ID] and a failed read otherwise). The
    // dictionary takes over one that this read made; one read before (a
    // back-reference) may belong to someone else, so the dictionary keeps a copy of
    // it instead. One that does not go in is deleted, and a fresh one's number then
    // names nothing.
    void RestoreOneMember(RWBinaryFile& file) override;
    void RestoreOneMember(RWDataInStream& stream) override;

private:
    // True when obj is one of the associations this dictionary holds.
    bool HoldsAssociation(const RWCollectable* obj) const;
    void CopyPairsFrom(const RWBTreeDictionary& other);
    template <class Medium>
    void RestorePair(Medium& medium);
    // Deletes a pair this restore made and the dictionary refused.
    static void DropRefusedPair(RWCollectableAssociation* a, uint32_t first);
};
