// The records of the records store's index: small stand-ins for objects kept in the
// store's file, each naming one stored object by its class id, serial number and id.
// The serial number, in lower-case hexadecimal, is the object's key in the file's
// B-tree. A record is found by class id, by id or by identity (the object's serial
// number), and the object it stands for is read back either taking it out of the file
// (take) or leaving it there (peek).
//
// Records are plain collectables with a count of holders of their own, which starts at
// -1 (no holder) and is changed by interlocked operations like a model object's.
#pragma once

#include "foundation/RWCollectable.h"
#include "foundation/RWRefCount.h"
#include "model/GCountedRef.h"

#include <atomic>
#include <cstdint>

class GObjectBase;
class GRecord;
class GRecordComposite;
class MPersistentCompositeOnDiskImp;

// A counted hold on a record; dropping the last hold deletes it.
class GRecordRef {
public:
    GRecordRef() : record_(nullptr) {}
    explicit GRecordRef(GRecord* record);
    GRecordRef(const GRecordRef& other);
    GRecordRef& operator=(const GRecordRef& other);
    ~GRecordRef();

    GRecord* Get() const { return record_; }
    GRecord* operator->() const { return record_; }
    explicit operator bool() const { return record_ != nullptr; }
    void Set(GRecord* record);

private:
    GRecord* record_;
};

// What a search looks for: a class id, an id, or an object's serial number.
struct GRecordKey {
    enum Kind { ByClassId, ById, BySame };

    static GRecordKey ClassId(RWClassID classId) { return {ByClassId, classId, 0, nullptr}; }
    static GRecordKey Id(long id) { return {ById, 0, id, nullptr}; }
    static GRecordKey Same(const GObjectBase* object) { return {BySame, 0, 0, object}; }

    bool Matches(const GRecord& record) const;

    Kind kind;
    RWClassID classId;
    long id;
    const GObjectBase* object;
};

class GRecord : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 783;
    static bool KindOfClass(RWClassID kind) { return kind == kClassId || RWCollectable::KindOfClass(kind); }

    GRecord();
    // Copies the object's class id, serial number and id.
    explicit GRecord(const GObjectBase& object);
    GRecord(const GRecord& other);
    GRecord& operator=(const GRecord& other);
    ~GRecord() override;

    GRecord* CreateNew() const override { return new GRecord; }
    GRecord* Copy() const override { return new GRecord(*this); }
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;

    // The record operations, in the order every record class keeps them.
    virtual GRecordComposite* AsRecordComposite();
    virtual void AddMember(GRecord* record);
    GCountedRef TakeByClassId(const RWClassID& classId, MPersistentCompositeOnDiskImp& store);
    GCountedRef TakeById(const long& id, MPersistentCompositeOnDiskImp& store);
    GCountedRef TakeSame(const GObjectBase* object, MPersistentCompositeOnDiskImp& store);
    int ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store);
    int ReplaceById(const long& id, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store);
    int ReplaceSame(const GObjectBase* object, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store);
    GCountedRef PeekByClassId(const RWClassID& classId, MPersistentCompositeOnDiskImp& store);
    GCountedRef PeekById(const long& id, MPersistentCompositeOnDiskImp& store);
    GCountedRef PeekSame(const GObjectBase* object, MPersistentCompositeOnDiskImp& store);
    // Stored leaf objects this record stands for.
    virtual uint32_t LeafCount() const;

    // The searches behind the named operations. A leaf record answers only for itself
    // (it takes nothing out of a list: its holder does that).
    virtual GCountedRef Search(const GRecordKey& key, bool take, MPersistentCompositeOnDiskImp& store);
    // Replaces within what lies below this record: 1 when a stored object was replaced.
    virtual int Replace(const GRecordKey& key, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store);
    // Searches below this record only (members, or the store a proxy holds).
    virtual GCountedRef SearchBelow(const GRecordKey& key, bool take, MPersistentCompositeOnDiskImp& store);

    RWClassID GetClassId() const { return classId_; }
    long GetSerial() const { return serial_; }
    long GetId() const { return id_; }
    // The key of the stored object in the file's B-tree: the serial number in lower-case
    // hexadecimal; at most 8 characters and the terminator.
    void Key(char (&key)[9]) const;

    void AddReference() { RWRefCount::AddReference(references_); }
    // The count before the release: 0 means the caller held the last reference.
    int32_t RemoveReference() { return RWRefCount::RemoveReference(references_); }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    std::atomic<int32_t> references_;
    RWClassID classId_;
    int32_t serial_;
    int32_t id_;
};

// True for a record that a restore may hand to a counted holder.
bool GIsHoldableRecord(const RWCollectable* object);
