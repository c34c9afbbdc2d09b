// The protocol every collection of collectables speaks, so that persistence, the class
// factory and the object model can insert, find, walk, store and restore members
// without knowing the kind of container.
//
// Collections never own their members: Clear forgets them; only ClearAndDestroy and
// RemoveAndDestroy delete them. Membership tests call the member's IsEqual with the
// searched object.
#pragma once

#include "foundation/RWCollectable.h"

#include <cstddef>
#include <vector>

// Called for each member by Apply.
typedef void (*RWApplyCollectable)(RWCollectable* member, void* arg);
// A member test: non-zero when member qualifies.
typedef int (*RWTestCollectable)(const RWCollectable* member, const void* arg);

class RWCollection : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x801D;
    static bool KindOfClass(RWClassID kind) { return kind == kClassId || RWCollectable::KindOfClass(kind); }

    RWCollectable* CreateNew() const override = 0;
    RWCollectable* Copy() const override = 0;
    RWClassID ClassId() const override;

    // The stored form: the member count (u32 on a file, unsigned int on a stream), then
    // each member as an object reference. A restore empties the collection, then
    // inserts what it reads; it stops at the first file or stream failure, keeping
    // what was read.
    // 4 + the RecursiveStoreSize of every member.
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;

    // The collection operations, in the order every collection class keeps them.

    // Calls fn(member, arg) for every member, in the collection's own order.
    virtual void Apply(RWApplyCollectable fn, void* arg) const = 0;
    // Forgets every member.
    virtual void Clear() = 0;
    // Deletes every distinct member once, however often it is held, then Clear.
    virtual void ClearAndDestroy();
    virtual bool Contains(const RWCollectable* obj) const;
    virtual size_t Entries() const = 0;
    // The first member equal to obj, or null.
    virtual RWCollectable* Find(const RWCollectable* obj) const = 0;
    // The object kept, or null when nothing was inserted.
    virtual RWCollectable* Insert(RWCollectable* obj) = 0;
    virtual bool IsEmpty() const = 0;
    virtual size_t OccurrencesOf(const RWCollectable* obj) const = 0;
    // The removed member, or null.
    virtual RWCollectable* Remove(const RWCollectable* obj) = 0;
    // Remove, then delete the member that came back.
    virtual void RemoveAndDestroy(const RWCollectable* obj);

    // True for a collection that deletes its members itself (a dictionary its
    // associations); between two such collections members travel as copies.
    virtual bool OwnsMembers() const { return false; }

    // A new empty collection of this class holding every member that passes test; the
    // caller owns it, the members are shared (copied when this collection owns them).
    RWCollection* Select(RWTestCollectable test, const void* arg) const;
    // Inserts every member of other into this collection (copies when both own them).
    void AddContentsFrom(const RWCollection& other);
    // Inserts every member of this collection into other.
    void AddContentsTo(RWCollection& other) const;
    // Inserts a Copy of every member into other; a copy that other refuses is deleted.
    void CopyContentsTo(RWCollection& other) const;
    // Removes from this collection every member of other.
    void RemoveContentsOf(const RWCollection& other);

protected:
    // The members in Apply order.
    std::vector<RWCollectable*> MemberList() const;
    // Clears this collection, then deletes every object of distinct, which names each
    // object once. The static nil object and this collection itself are never deleted.
    void ClearThenDestroy(const std::vector<RWCollectable*>& distinct);

    // The steps a restore of the stored form takes: RestoreBegin once, then
    // RestoreOneMember for each stored member, in stored order.

    // Empties the collection before the stored members are added.
    virtual void RestoreBegin();
    // Adds one restored member, read from read-table number first on. A null member or
    // the nil object stands for no object and is skipped: a null member would break
    // every later search. A member the collection refuses goes through DropRefused,
    // unless where it was read is not known.
    static const uint32_t kReadUnknown = UINT32_MAX;
    void RestoreMember(RWCollectable* member, uint32_t first = kReadUnknown);
    // Adds a restored member where the stored order wants it (by default: Insert).
    virtual void RestoreInsert(RWCollectable* member);
    // Reads one stored member and adds it (by default: any object, through
    // RestoreMember). A collection that admits only some kinds of member, or owns its
    // members, reads them itself.
    virtual void RestoreOneMember(RWBinaryFile& file);
    virtual void RestoreOneMember(RWDataInStream& stream);

    // The read-table number the next object read will take (0 outside a restore).
    static uint32_t NextReadNumber();
    // Deletes obj, refused after a read that began at read-table number first, when
    // that read made it: freed, it vacates its number and those of everything read
    // inside it, so later data naming any of them is refused. One read before (a
    // back-reference) may have other holders and is left alone.
    static void DropRefused(RWCollectable* obj, uint32_t first);
};
