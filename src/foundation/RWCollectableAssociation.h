// A key/value pair of collectables, the member of sorted and hashed dictionaries. It
// hashes, orders and compares as its key does, so a dictionary can be searched with a
// bare key. It owns neither object. Either may be null: a null key is ordered before
// every other key and equals only another association's null key, and no operation
// hands a null to the other object's CompareTo or IsEqual.
#pragma once

#include "foundation/RWCollectable.h"

class RWCollectableAssociation : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x8008;
    static bool KindOfClass(RWClassID kind) { return kind == kClassId || RWCollectable::KindOfClass(kind); }

    RWCollectableAssociation() {}
    RWCollectableAssociation(RWCollectable* key, RWCollectable* value) : key_(key), value_(value) {}

    RWCollectable* CreateNew() const override;
    // A new association over the same key and value.
    RWCollectable* Copy() const override;
    RWClassID ClassId() const override;
    // The key's hash; 0 for a null key.
    uint32_t Hash() const override;
    // The key's order against other: the negation of other's CompareTo with the key.
    int CompareTo(const RWCollectable* other) const override;
    // True when other's IsEqual accepts the key.
    bool IsEqual(const RWCollectable* other) const override;

    // Stored form: the key, then the value, each as an object reference; a restore sets
    // both to null first. A key read back that is an association still being restored
    // would make the key chain a cycle that hashing and ordering never leave: it is
    // refused with [REF] and the key stays null.
    // RecursiveStoreSize of the key plus that of the value.
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;

    RWCollectable* Key() const { return key_; }
    RWCollectable* Value() const { return value_; }
    // Returns the value it replaces.
    RWCollectable* SetValue(RWCollectable* value);

protected:
    // Makes key the key unless it is refused (see the stored form).
    void AdoptRestoredKey(RWCollectable* key);

    RWCollectable* key_ = nullptr;
    RWCollectable* value_ = nullptr;
};

// The association behind obj, or null when obj is not one.
inline RWCollectableAssociation* RWAsAssociation(RWCollectable* obj)
{
    return dynamic_cast<RWCollectableAssociation*>(obj);
}
inline const RWCollectableAssociation* RWAsAssociation(const RWCollectable* obj)
{
    return dynamic_cast<const RWCollectableAssociation*>(obj);
}
