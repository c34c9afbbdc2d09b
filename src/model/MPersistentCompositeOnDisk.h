// A records store: a model object whose members live in a records file instead of
// memory (in practice the commands of one spooled page). It is filled and searched only
// through the record operations; every store object of one file name shares the one
// implementation that owns the file.
//
// The file is deleted when the last live store object of its name goes, provided one of
// the store objects of that name carried the delete flag; copies and stores read back
// from a file keep a file that another store object still uses.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWWString.h"
#include "model/GPersistent.h"

#include <cstdint>

class MPersistentCompositeOnDiskImp;

class MPersistentCompositeOnDisk : public GPersistent<MPersistentCompositeOnDisk, GObjectBase, 781> {
public:
    static constexpr const char* kClassName = "MPersistentCompositeOnDisk";
    static constexpr uint32_t kOpen = 1;
    static constexpr uint32_t kClosed = 2;

    // Closed, without a name.
    MPersistentCompositeOnDisk();
    // Open on the named file (created when missing); deleteFlag 1 asks for the file to
    // be deleted once no store object of its name is left.
    MPersistentCompositeOnDisk(const RWWString& name, const uint32_t& deleteFlag, const long& id);
    MPersistentCompositeOnDisk(const RWCString& name, const uint32_t& deleteFlag, const long& id);
    // Shares the other's implementation and opens.
    MPersistentCompositeOnDisk(const MPersistentCompositeOnDisk& other);
    // Takes the other's name and flag, and is open when the other is.
    MPersistentCompositeOnDisk& operator=(const MPersistentCompositeOnDisk& other);
    ~MPersistentCompositeOnDisk() override;

    MPersistentCompositeOnDisk* CreateNew() const override { return new MPersistentCompositeOnDisk; }
    MPersistentCompositeOnDisk* Copy() const override { return new MPersistentCompositeOnDisk(*this); }
    // The members are in the file: a deep copy is a copy.
    MPersistentCompositeOnDisk* DeepCopy() const override { return Copy(); }
    // Same file name, state, implementation and delete flag.
    bool IsSame(const GObjectBase* other) const override;

    // Opens on the name (a closed store only); the store then shares the implementation
    // of any open store of that name.
    void Open(const RWCString& name);
    void Open() { Open(name_); }
    // Lets go of the implementation; the next forwarded operation opens again. The last
    // holder of the implementation closes the file here: when a write there fails, the
    // store has failed (HasFailed).
    void Close();
    uint32_t IsOpen() const { return state_ == kOpen; }
    // The implementation's failure flag (kept from when the store was last open).
    uint32_t HasFailed();
    const RWCString& GetFileName() const { return name_; }
    uint32_t GetDeleteFlag() const { return deleteFlag_; }

    // The record operations, forwarded to the implementation.
    void AddRecord(GObjectBase* object) override;
    void RemoveRecord(GObjectBase* object) override;
    GCountedRef FindRecordSame(const GObjectBase* object) override;
    GCountedRef FindRecordById(const long& id) override;
    GCountedRef FindRecordByClassId(const RWClassID& classId) override;
    int ReplaceRecordById(const long& id, const GObjectBase* newObject) override;
    int ReplaceRecordByClassId(const RWClassID& classId, const GObjectBase* newObject) override;
    void RemoveAll() override;
    GCountedRef FindPtrById(const long& id) override;
    GCountedRef FindPtrByClassId(const RWClassID& classId) override;
    GCountedRef FindPtrSame(const GObjectBase* object) override;
    GObjectBase* AsComposite() override { return this; }
    uint32_t Entries() const override;
    uint32_t TotalEntries() const override;
    GObjectIterator* CreateIterator() override;
    virtual int ReplaceRecordSame(const GObjectBase* object, const GObjectBase* newObject);
    // Kept for the operation table's sake; does nothing.
    virtual void ReservedRecordOperation(const GObjectBase*, const GObjectBase*) {}

    auto StoredForm() { return GFields(state_, name_, deleteFlag_); }
    // A restored store is open on the file it names (failed, and closed, when that file
    // is gone).
    template <class In>
    void ReadForm(In& in)
    {
        uint32_t state = kClosed;
        RWCString name;
        uint32_t deleteFlag = 0;
        if (GReadForm(in, GFields(state, name, deleteFlag)))
            Restored(name, deleteFlag);
    }

private:
    // The implementation, opening the store first when it is closed; null without a name.
    MPersistentCompositeOnDiskImp* Imp();
    void Restored(const RWCString& name, uint32_t deleteFlag);
    // Moves this object's entry in the table of names in use to another name and flag.
    void Rename(const RWCString& name, uint32_t deleteFlag);

    RWCString name_;
    uint32_t state_;
    GCountedRef imp_;
    uint32_t deleteFlag_;
    uint32_t failed_;
    // Restored naming a file that is gone: nothing to read, and no empty file is made
    // in its place until the store is opened by name again.
    bool missing_ = false;
};
