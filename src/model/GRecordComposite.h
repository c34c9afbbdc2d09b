// The record of a stored composite: its own stored object is an empty object of the
// composite's class, and its members are the records of the composite's members, in
// order. The store's index is one of these.
#pragma once

#include "model/GRecord.h"

#include <vector>

class GRecordComposite : public GRecord {
public:
    static constexpr RWClassID kClassId = 785;

    GRecordComposite();
    // Starts with no members.
    explicit GRecordComposite(const GObjectBase& object);
    // Copies share the member records.
    GRecordComposite(const GRecordComposite& other) = default;
    GRecordComposite& operator=(const GRecordComposite& other) = default;

    GRecordComposite* CreateNew() const override { return new GRecordComposite; }
    GRecordComposite* Copy() const override { return new GRecordComposite(*this); }
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;

    GRecordComposite* AsRecordComposite() override { return this; }
    // Appends the record (null is ignored).
    void AddMember(GRecord* record) override;
    uint32_t LeafCount() const override;
    int Replace(const GRecordKey& key, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store) override;
    GCountedRef SearchBelow(const GRecordKey& key, bool take, MPersistentCompositeOnDiskImp& store) override;

    void ClearMembers() { members_.clear(); }
    uint32_t MemberCount() const { return uint32_t(members_.size()); }
    // The member at index, borrowed; null past the end.
    GRecord* MemberAt(uint32_t index) const { return index < members_.size() ? members_[index].Get() : nullptr; }
    // Takes the member at index out of the list.
    void RemoveMemberAt(uint32_t index);
    // Takes the members of other over; other is left without members.
    void TakeMembers(GRecordComposite& other) { members_.swap(other.members_); other.members_.clear(); }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    std::vector<GRecordRef> members_;
};
