// A records store: a model object whose members live in a records file instead of
// memory (in practice the commands of one spooled page). It is filled and searched only
// through the record operations; every store object of one file name shares the one
// implementation that owns the file.
//
// The file is deleted when the last live store object of its name goes, provided one of
// the store objects of that name carried the delete flag; copies keep a file that
// another store object still uses.
//
// A store takes only a name the module made for a spool file: absolute and directly
// inside a folder named by AddSpoolFolder. A store read back from bytes is closed for
// good: it never opens, makes, renames or removes a file, whatever the bytes name.
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

    // Names a folder the module made for its spool files; the stores then take the names
    // of files directly inside it. False, and nothing named, for a folder that is not
    // absolute.
    static bool AddSpoolFolder(const RWWString& folder);
    // Forgets a spool folder that was removed: its name may be anyone's again.
    static void ForgetSpoolFolder(const RWWString& folder);
    // True for an absolute folder name of the file system (a drive's or a share's), with
    // no "." or ".." step.
    static bool IsAbsoluteFolder(const RWWString& folder);

    // Closed, without a name.
    MPersistentCompositeOnDisk();
    // Open on the named file (created when missing); deleteFlag 1 asks for the file to
    // be deleted once no store object of its name is left. A name that is no spool
    // file's leaves the store failed, without a file.
    MPersistentCompositeOnDisk(const RWWString& name, const uint32_t& deleteFlag, const long& id);
    MPersistentCompositeOnDisk(const RWCString& name, const uint32_t& deleteFlag, const long& id);
    // Shares the other's implementation; open only when the other is.
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

    // Opens on the name (a closed store only, never one read from bytes, and only on a
    // spool file's name); the store then shares the implementation of any open store of
    // that name.
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
    // True for a store read from bytes, which stays closed.
    bool IsFromBytes() const { return fromBytes_; }

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
    // A restored store is closed and stays closed; the stored state and delete flag are
    // read past and never used.
    template <class In>
    void ReadForm(In& in)
    {
        uint32_t state = kClosed;
        RWCString name;
        uint32_t deleteFlag = 0;
        if (GReadForm(in, GFields(state, name, deleteFlag)))
            Restored(name);
    }

private:
    // The implementation, opening the store first when it is closed; null without a name.
    MPersistentCompositeOnDiskImp* Imp();
    void Restored(const RWCString& name);
    // Takes a name given by code: opens on it when it is a spool file's.
    void TakeName(const RWCString& name, uint32_t deleteFlag);
    // Moves this object's entry in the table of names in use to another name and flag.
    void Rename(const RWCString& name, uint32_t deleteFlag);

    RWCString name_;
    uint32_t state_;
    GCountedRef imp_;
    uint32_t deleteFlag_;
    uint32_t failed_;
    // Read from bytes: closed for good, its name never tracked.
    bool fromBytes_ = false;
};
