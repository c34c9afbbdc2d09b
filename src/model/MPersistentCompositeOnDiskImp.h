// The one object behind every records store of a file name: it owns the records file
// (a disk file manager with a disk B-tree keyed by record key) and the index of records
// kept in memory while the file is open. Closing writes the index into the file under
// "IndexOfRecords"; opening reads it back and removes it once it was read whole (a
// refused index stays in the file and the store fails).
//
// Every file operation runs under the records-store lock and under an error capture:
// a file error, a damaged block or a duplicate record key sets the failure flag, which
// stays set; a failed store writes nothing more. Nothing here ends the process.
#pragma once

#include "foundation/RWCString.h"
#include "model/GPersistent.h"
#include "model/GRecordComposite.h"

#include <cstdint>
#include <memory>
#include <vector>

class RWDiskBTree;
class RWDiskFileManager;

class MPersistentCompositeOnDiskImp : public GPersistent<MPersistentCompositeOnDiskImp, GObjectBase, 782> {
public:
    static constexpr const char* kClassName = "MPersistentCompositeOnDiskImp";
    // The B-tree key under which a closed file keeps its index.
    static constexpr const char* kIndexKey = "IndexOfRecords";

    // No file: every operation fails.
    MPersistentCompositeOnDiskImp();
    // Opens (or creates) the records file.
    MPersistentCompositeOnDiskImp(const RWCString& name, const long& id);
    // Writes the index back and closes the file.
    ~MPersistentCompositeOnDiskImp() override;
    MPersistentCompositeOnDiskImp(const MPersistentCompositeOnDiskImp&) = delete;
    MPersistentCompositeOnDiskImp& operator=(const MPersistentCompositeOnDiskImp&) = delete;

    MPersistentCompositeOnDiskImp* CreateNew() const override { return new MPersistentCompositeOnDiskImp; }
    // A file has one implementation: a copy is an implementation without a file.
    MPersistentCompositeOnDiskImp* Copy() const override;
    MPersistentCompositeOnDiskImp* DeepCopy() const override { return Copy(); }

    // Only the base part and the version travel; the records stay in the file.
    auto StoredForm() { return GFields(); }

    // Writes the object and its record; the store takes the object over (as Add does).
    void AddRecord(GObjectBase* object) override;
    void RemoveRecord(GObjectBase* object) override;
    // Take: the first matching object, read back and removed from the file.
    GCountedRef FindRecordSame(const GObjectBase* object) override;
    GCountedRef FindRecordById(const long& id) override;
    GCountedRef FindRecordByClassId(const RWClassID& classId) override;
    // Replace the first matching stored object: 1 when one was replaced.
    int ReplaceRecordById(const long& id, const GObjectBase* newObject) override;
    int ReplaceRecordByClassId(const RWClassID& classId, const GObjectBase* newObject) override;
    int ReplaceRecordSame(const GObjectBase* object, const GObjectBase* newObject);
    // Empties the store and its file.
    void RemoveAll() override;
    // Peek: the first matching object read back; the file keeps it.
    GCountedRef FindPtrById(const long& id) override;
    GCountedRef FindPtrByClassId(const RWClassID& classId) override;
    GCountedRef FindPtrSame(const GObjectBase* object) override;
    // Stored leaf objects.
    uint32_t Entries() const override;
    uint32_t TotalEntries() const override;
    // An iterator over the index's top-level records.
    GObjectIterator* CreateIterator() override;

    uint32_t HasFailed() const { return failed_; }
    // Writes the index back and closes the file now, as the destructor would, and
    // answers whether the store failed, that close included. For the last holder: the
    // implementation does nothing more afterwards.
    uint32_t Finish();
    const RWCString& GetFileName() const { return name_; }

    // For the records: reads the object a record stands for (take: out of the file) with
    // the objects of its member records; null when nothing is stored under its key.
    GCountedRef ReadObject(GRecord& record, bool take);
    // For the records: replaces the object a record stands for; made gets the new
    // record. 1 when replaced; 0, with nothing changed in the index, otherwise.
    int ReplaceObject(GRecord& record, const GObjectBase* newObject, GRecordRef& made);
    // For proxy records: 0 when a search forwarded into that store object would come
    // back to this file.
    int Forwards(const GObjectBase& store) const;
    // Writes the object (a composite: its members as records of their own) and answers
    // its record; null when nothing was written.
    GRecordRef WriteRecord(const GObjectBase* object, int replacing);

    // For the store iterator: the top-level record at index (null past the end) and its
    // object, peeked.
    GRecordRef RecordAt(uint32_t index) const;
    uint32_t RecordCount() const;
    GCountedRef PeekRecord(GRecord& record);

private:
    class Session;

    void OpenFile();
    void CloseFile();
    void ReadIndex(uint32_t offset);
    bool StoreObject(GRecord& record, const GObjectBase& object);
    GCountedRef Take(const GRecordKey& key, bool take);
    int ReplaceFirst(const GRecordKey& key, const GObjectBase* newObject);
    // Marks the file as unusable: nothing more is read or written, not even the index.
    void Broken();

    std::unique_ptr<RWDiskFileManager> file_;
    std::unique_ptr<RWDiskBTree> tree_;
    GRecordComposite index_;
    // The index as it was read from the file while nothing has changed it since: closing
    // then writes these bytes back instead of writing the index anew.
    std::vector<char> indexBytes_;
    bool indexClean_ = false;
    RWCString name_;
    uint32_t failed_;
    bool broken_;
    // Set while an operation runs, so that a proxy chain leading back here finds nothing.
    bool busy_;

    // The writing counters: nesting depth of composites being written and the class id
    // of the last object written. Changed only under the records-store lock.
    static uint32_t s_depth;
    static RWClassID s_lastClassId;
};
