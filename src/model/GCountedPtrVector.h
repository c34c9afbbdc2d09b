// The member store of every composite: an array of counted pointers whose leading
// count slots are in use (never null) and whose other slots are null. It grows in steps
// of 64 slots. Indexed accesses check the index and raise the index error.
//
// It also runs the tree searches over its members (depth first, pre-order, first match
// wins), which both composite families share.
#pragma once

#include "model/GCountedPtr.h"

#include <cstdint>

class GMemberKey;
class GObjectBase;
class RWBinaryFile;
class RWDataInStream;
class RWDataOutStream;

class GCountedPtrVector {
public:
    static constexpr uint32_t kInitialCapacity = 10;
    static constexpr uint32_t kGrowth = 64;

    explicit GCountedPtrVector(uint32_t capacity = kInitialCapacity);
    // The source's capacity, sharing every member.
    GCountedPtrVector(const GCountedPtrVector& other);
    // Builds the new slots before it releases the old members.
    GCountedPtrVector& operator=(const GCountedPtrVector& other);
    ~GCountedPtrVector();

    uint32_t Entries() const { return count_; }
    uint32_t Capacity() const { return capacity_; }

    // Shares the object in a new last slot; false (nothing held) when no room could
    // be made.
    bool Append(GObjectBase* object);
    // Shares the object in slot index (0 to Entries()), moving the later ones up; false
    // (nothing held) for a bad index or when no room could be made.
    bool InsertAt(uint32_t index, GObjectBase* object);
    // Takes the member out of slot index, moving the later ones down; the result holds
    // it. A null pointer, with the index error raised, for a bad index.
    GCountedPtr RemoveAt(uint32_t index);
    // Gives the vector n slots, keeping the first members that fit; false when the
    // memory could not be had (nothing changes then).
    bool Resize(uint32_t n);
    // True when index is below the count; otherwise raises the index error.
    bool CheckIndex(uint32_t index) const;
    // The member of slot index, borrowed; null for a bad index.
    GObjectBase* At(uint32_t index) const;
    // Unchecked slot access, for indexes known to be in use.
    GCountedPtr& operator[](uint32_t index) { return slots_[index]; }
    const GCountedPtr& operator[](uint32_t index) const { return slots_[index]; }
    // The slot of the very object among the members, or -1.
    int32_t IndexOf(const GObjectBase* object) const;
    // Releases every member; the count is 0 and the capacity 64 afterwards.
    void RemoveAll();

    // The tree operations of the composites, over the members.
    GObjectBase* Find(const GMemberKey& key) const;
    // An owned object: the member itself when the vector held its last reference, else
    // a copy of it.
    GObjectBase* Remove(const GMemberKey& key);
    // Puts a deep copy of newObject in the first matching member's place: 1 when done.
    int Replace(const GMemberKey& key, const GObjectBase* newObject);
    GObjectBase* Collect(const GMemberKey& key, GObjectBase* into) const;
    // The sum of the members' TotalEntries.
    uint32_t MemberTotals() const;
    // Same count, and no member i that Differs from the other's member i.
    bool SameMembers(const GCountedPtrVector& other) const;

    // The stored member list: a 32-bit count, then each member as an object reference.
    void SaveOn(RWBinaryFile& file) const;
    void SaveOn(RWDataOutStream& stream) const;
    // Releases every member, then appends each member read. Reading stops at the first
    // failed read; nil references are skipped, and so is every object a counted holder
    // may not hold (GObjectBase::RestoreHeld). A stored count is never trusted: room
    // grows only with what is actually read.
    void RestoreFrom(RWBinaryFile& file);
    void RestoreFrom(RWDataInStream& stream);
    // The class id every member is a kind of (model objects when not set): a restore
    // refuses a stored member of another class before it is made. A property of the
    // vector, kept by assignment.
    void SetMemberKind(RWClassID kind) { memberKind_ = kind; }
    RWClassID MemberKind() const { return memberKind_; }
    // The bytes SaveOn writes to a binary file.
    uint32_t StoreSize() const;

private:
    // A new array of n null slots; null when n is 0 or the memory could not be had.
    static GCountedPtr* NewSlots(uint32_t n);
    bool MakeRoom();
    template <class In>
    void RestoreMembers(In& in);

    uint32_t capacity_;
    GCountedPtr* slots_;
    uint32_t count_;
    RWClassID memberKind_;
};
