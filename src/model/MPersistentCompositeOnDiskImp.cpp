#include "model/MPersistentCompositeOnDiskImp.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWDiskBTree.h"
#include "foundation/RWDiskFileManager.h"
#include "foundation/RWErrorCapture.h"
#include "model/GObjectIterator.h"
#include "model/GRecordProxy.h"
#include "model/GRecordsStoreLock.h"
#include "model/MPersistentCompositeOnDisk.h"

#include <cstring>
#include <new>

namespace {

const uint32_t kBuffers = 10;
const uint32_t kKeyLength = 16;
const uint32_t kHalfOrder = 10;
const uint32_t kMinFill = 10;
// The records file is held in memory in chunks of this size, read whole as they are
// first needed, and written back in order when the store closes (or flushes) and when
// more than kChunks would be held: a page's records and tree nodes go to the disk in a
// few large writes, and a page is read back in a few large reads.
const size_t kChunkBytes = 64 * 1024;
const size_t kChunks = 32;
// More top-level records than this and new objects are dropped, except those that end
// a job or a page, so that the end of a job still gets through.
const uint32_t kMaxTopLevel = 0x3FFFFFEF;
const RWClassID kJobEnd = 710;
const RWClassID kPageEnd = 703;
const RWClassID kBeforePageEnd[] = {702, 661};
// Store-backed composites: written whole and kept as proxy records.
const RWClassID kStoreClasses[] = {781, 606};

bool IsStoreClass(RWClassID classId)
{
    for (RWClassID id : kStoreClasses)
        if (id == classId)
            return true;
    return false;
}

int CompareKeys(const char* a, const char* b, uint32_t length) { return std::strncmp(a, b, length); }

bool IsRecordComposite(const RWCollectable* object)
{
    return dynamic_cast<const GRecordComposite*>(object) && !RWCollectable::IsRestoredInPlace(object);
}

// True when neither the capture nor the file saw an error.
bool Clean(const RWErrorCapture& capture, RWBinaryFile& file) { return capture.Empty() && !file.Error(); }

// The iterator over a store's top-level records. No object of the store lives in
// memory, so Current has nothing to point to; CurrentRef reads the object back.
class StoreIterator : public GObjectIterator {
public:
    // Keeps a held store alive; one that nobody holds belongs to its creator, and a
    // hold taken and dropped here would delete it.
    explicit StoreIterator(MPersistentCompositeOnDiskImp* store)
        : store_(store), hold_(store->References() >= 0 ? store : nullptr), position_(-1)
    {
    }

    GObjectBase* Current() override { return nullptr; }

    void ReplaceCurrent(GObjectBase* object) override
    {
        const GCountedRef hold(object);
        ReplaceCurrentRef(hold);
    }

    int Next() override
    {
        GRecordsStoreGuard guard;
        if (++position_ < int32_t(Store().RecordCount()))
            return 1;
        position_ = -1;
        return 0;
    }

    void Reset() override { position_ = -1; }

    GCountedRef CurrentRef() override
    {
        GRecordsStoreGuard guard;
        const GRecordRef record = position_ >= 0 ? Store().RecordAt(uint32_t(position_)) : GRecordRef();
        return record ? Store().PeekRecord(*record.Get()) : GCountedRef();
    }

    // The record leaves the index: the iterator steps back, so the next Next stands on
    // the record that followed it.
    void RemoveCurrent() override
    {
        GRecordsStoreGuard guard;
        const GCountedRef current = CurrentRef();
        if (current && Store().FindRecordSame(current.Get()))
            --position_;
    }

    void ReplaceCurrentRef(const GCountedRef& object) override
    {
        GRecordsStoreGuard guard;
        const GCountedRef current = CurrentRef();
        if (current && object)
            Store().ReplaceRecordSame(current.Get(), object.Get());
    }

    int Previous() override
    {
        if (position_ < 0)
            return 0;
        return --position_ >= 0;
    }

private:
    MPersistentCompositeOnDiskImp& Store() { return *store_; }

    MPersistentCompositeOnDiskImp* store_;
    GCountedRef hold_;
    int32_t position_;
};

} // namespace

uint32_t MPersistentCompositeOnDiskImp::s_depth = 0;
RWClassID MPersistentCompositeOnDiskImp::s_lastClassId = 0xFFFF;

// One public operation: the store lock, and the busy mark that stops a proxy chain
// which leads back into this store.
class MPersistentCompositeOnDiskImp::Session {
public:
    explicit Session(const MPersistentCompositeOnDiskImp& store)
        : store_(const_cast<MPersistentCompositeOnDiskImp&>(store)), entered_(false)
    {
        if (!store_.busy_)
            entered_ = store_.busy_ = true;
    }
    ~Session()
    {
        if (!entered_)
            return;
        store_.busy_ = false;
        // A store that has just failed writes nothing more: what it holds in memory of
        // the file goes to the disk now.
        if (store_.failed_ && !store_.broken_ && store_.file_)
            store_.file_->Flush();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool Entered() const { return entered_; }

private:
    GRecordsStoreGuard guard_;
    MPersistentCompositeOnDiskImp& store_;
    bool entered_;
};

MPersistentCompositeOnDiskImp::MPersistentCompositeOnDiskImp() : failed_(1), broken_(true), busy_(false) {}

MPersistentCompositeOnDiskImp::MPersistentCompositeOnDiskImp(const RWCString& name, const long& id)
    : GPersistent(id), name_(name), failed_(0), broken_(false), busy_(false)
{
    GRecordsStoreGuard guard;
    OpenFile();
}

MPersistentCompositeOnDiskImp::~MPersistentCompositeOnDiskImp()
{
    GRecordsStoreGuard guard;
    CloseFile();
}

MPersistentCompositeOnDiskImp* MPersistentCompositeOnDiskImp::Copy() const
{
    MPersistentCompositeOnDiskImp* copy = new MPersistentCompositeOnDiskImp;
    copy->SetId(GetId());
    return copy;
}

void MPersistentCompositeOnDiskImp::Broken()
{
    broken_ = true;
    failed_ = 1;
}

void MPersistentCompositeOnDiskImp::OpenFile()
{
    index_.ClearMembers();
    indexBytes_.clear();
    indexClean_ = false;
    RWErrorCapture capture;
    file_.reset(new (std::nothrow) RWDiskFileManager(name_.Data(), nullptr, kChunkBytes, kChunks));
    if (!file_ || !file_->IsValid() || !file_->HasFreeList() || !Clean(capture, *file_)) {
        Broken();
        return;
    }
    tree_.reset(new (std::nothrow) RWDiskBTree(*file_, kBuffers, 0, kKeyLength, 0, RWDiskBTree::kNone, 0,
                                               kHalfOrder, kMinFill));
    if (!tree_ || !tree_->IsValid() || !Clean(capture, *file_)) {
        Broken();
        return;
    }
    tree_->SetCompare(CompareKeys);
    if (std::strcmp(file_->Mode(), "rb+") == 0) {
        RWCString key;
        uint32_t offset = RWDiskBTree::kNone;
        if (tree_->FindKeyAndValue(kIndexKey, key, offset) && Clean(capture, *file_))
            ReadIndex(offset);
    }
    // An open store's file is on disk as opening left it: a new file with its header,
    // free list and tree, a reopened one without its index.
    if (!Clean(capture, *file_) || !file_->Flush())
        Broken();
}

// The index block holds one records composite; anything else, or a block that does
// not read back whole, makes the store fail with an empty index. The index leaves the
// file only once it was taken whole: a refused one stays, key and block, as it was.
void MPersistentCompositeOnDiskImp::ReadIndex(uint32_t offset)
{
    RWErrorCapture capture;
    if (!file_->IsPlausibleBlock(offset, 2) || !file_->SeekTo(long(offset))) {
        Broken();
        return;
    }
    RWCollectable* read =
        RWCollectable::RestoreKindOf(*file_, IsRecordComposite, GRecordComposite::kClassId, RWHolding::Owned);
    GRecordComposite* index = dynamic_cast<GRecordComposite*>(read);
    // A refused member count or an index cut short leaves the file at its end: such an
    // index is not the one that was written, and taking it (to write it back at close)
    // would lose every record it no longer names.
    if (index && Clean(capture, *file_) && !file_->Eof())
        index_.TakeMembers(*index);
    else
        Broken();
    delete read;
    // The bytes just read, kept for a close that finds the index unchanged.
    const long end = broken_ ? -1 : file_->CurOffset();
    if (end > long(offset)) {
        indexBytes_.resize(size_t(end - long(offset)));
        indexClean_ = file_->SeekTo(long(offset)) && file_->Read(indexBytes_.data(), indexBytes_.size()) &&
                      Clean(capture, *file_);
        if (!indexClean_)
            indexBytes_.clear();
    }
    if (!broken_) {
        RWCString key;
        uint32_t removed = RWDiskBTree::kNone;
        if (tree_->RemoveKeyAndValue(kIndexKey, key, removed) && removed == offset && Clean(capture, *file_))
            file_->Deallocate(offset);
        else
            Broken();
    }
    if (!Clean(capture, *file_))
        Broken();
}

void MPersistentCompositeOnDiskImp::CloseFile()
{
    if (file_ && tree_ && !broken_) {
        RWErrorCapture capture;
        // An index that nothing changed since it was read goes back as the bytes it was
        // read from: writing it anew would give the same bytes.
        const bool unchanged = indexClean_ && !indexBytes_.empty();
        const uint32_t size = unchanged ? uint32_t(indexBytes_.size()) : index_.RecursiveStoreSize();
        const uint32_t block = file_->Allocate(size);
        bool ok = block != RWDiskFileManager::kNone && Clean(capture, *file_) && file_->SeekTo(long(block));
        if (ok) {
            if (unchanged)
                file_->Write(indexBytes_.data(), indexBytes_.size());
            else
                index_.RecursiveSaveOn(*file_);
            ok = Clean(capture, *file_);
        }
        if (ok)
            ok = tree_->InsertKeyAndValue(kIndexKey, block) && Clean(capture, *file_);
        if (!Clean(capture, *file_))
            Broken();
    }
    {
        // The tree writes its info block as it goes; a file that has failed may raise
        // once more.
        RWErrorCapture capture;
        tree_.reset();
        // Every byte the store changed reaches the disk now: a write that fails here
        // fails the store, which its last holder reports as the close's result.
        if (file_ && !broken_ && (!file_->Flush() || !Clean(capture, *file_)))
            Broken();
        file_.reset();
    }
    index_.ClearMembers();
    indexBytes_.clear();
    indexClean_ = false;
}

uint32_t MPersistentCompositeOnDiskImp::Finish()
{
    GRecordsStoreGuard guard;
    CloseFile();
    const uint32_t failed = failed_;
    // Closed for good: nothing more is read or written.
    Broken();
    return failed;
}

bool MPersistentCompositeOnDiskImp::StoreObject(GRecord& record, const GObjectBase& object)
{
    RWErrorCapture capture;
    const uint32_t size = object.RecursiveStoreSize();
    const uint32_t block = file_->Allocate(size);
    bool ok = block != RWDiskFileManager::kNone && Clean(capture, *file_) && file_->SeekTo(long(block));
    if (ok) {
        *file_ << static_cast<const RWCollectable*>(&object);
        ok = Clean(capture, *file_);
    }
    if (!ok) {
        Broken();
        return false;
    }
    char key[9];
    record.Key(key);
    const int inserted = tree_->InsertKeyAndValue(key, block);
    if (!Clean(capture, *file_)) {
        Broken();
        return false;
    }
    if (!inserted) {
        // Another record has this key (a copy shares its original's serial number): the
        // block goes back and no record is made, so nothing reads back the wrong object.
        file_->Deallocate(block);
        failed_ = 1;
        if (!Clean(capture, *file_))
            Broken();
        return false;
    }
    return true;
}

GRecordRef MPersistentCompositeOnDiskImp::WriteRecord(const GObjectBase* object, int replacing)
{
    if (failed_ || !object)
        return GRecordRef();
    const RWClassID classId = object->ClassId();
    if (!replacing && index_.MemberCount() > kMaxTopLevel && classId != kJobEnd &&
        !(classId == kPageEnd && (s_lastClassId == kBeforePageEnd[0] || s_lastClassId == kBeforePageEnd[1])))
        return GRecordRef();
    s_lastClassId = classId;

    GRecordRef record;
    GCountedRef emptyObject;
    const GObjectBase* written = object;
    GObjectBase* composite = IsStoreClass(classId) ? nullptr : const_cast<GObjectBase*>(object)->AsComposite();
    if (IsStoreClass(classId)) {
        record.Set(new GRecordProxy(*object));
    } else if (composite) {
        ++s_depth;
        GRecordComposite* members = new GRecordComposite(*object);
        record.Set(members);
        if (GObjectIterator* it = composite->CreateIterator()) {
            while (!failed_ && it->Next())
                if (GObjectBase* member = it->Current()) {
                    const GRecordRef made = WriteRecord(member, replacing);
                    members->AddMember(made.Get());
                }
            delete it;
        }
        if (!failed_) {
            GObjectBase* empty = object->CreateNew();
            emptyObject.Set(empty);
            if (empty) {
                empty->SetId(object->GetId());
                empty->SetSerial(object->GetSerial());
                written = empty;
            }
        }
        --s_depth;
    } else {
        record.Set(new GRecord(*object));
    }
    if (composite && !failed_ && !emptyObject)
        failed_ = 1;
    if (failed_ || !StoreObject(*record.Get(), *written)) {
        // The members already written go back: no record will ever name them.
        if (GRecordComposite* members = record->AsRecordComposite())
            for (uint32_t i = 0; i < members->MemberCount() && !broken_; ++i)
                ReadObject(*members->MemberAt(i), true);
        return GRecordRef();
    }
    return record;
}

GCountedRef MPersistentCompositeOnDiskImp::ReadObject(GRecord& record, bool take)
{
    if (broken_ || !tree_)
        return GCountedRef();
    RWErrorCapture capture;
    char key[9];
    record.Key(key);
    RWCString found;
    uint32_t block = RWDiskBTree::kNone;
    const int present = take ? tree_->RemoveKeyAndValue(key, found, block) : tree_->FindKeyAndValue(key, found, block);
    if (!Clean(capture, *file_)) {
        Broken();
        return GCountedRef();
    }
    if (!present)
        return GCountedRef();
    GCountedRef object;
    if (file_->IsPlausibleBlock(block, 2) && file_->SeekTo(long(block)))
        object.Set(GObjectBase::RestoreHeld(*file_));
    if (take)
        file_->Deallocate(block);
    if (!object || !Clean(capture, *file_)) {
        // A block that does not read back as an object: the file is damaged.
        Broken();
        return GCountedRef();
    }
    if (GRecordComposite* members = record.AsRecordComposite())
        for (uint32_t i = 0; i < members->MemberCount(); ++i) {
            const GCountedRef member = ReadObject(*members->MemberAt(i), take);
            if (!member)
                continue;
            if (IsStoreClass(member->ClassId()))
                object->AddRecord(member.Get());
            else
                object->Add(member.Get());
        }
    return object;
}

int MPersistentCompositeOnDiskImp::ReplaceObject(GRecord& record, const GObjectBase* newObject, GRecordRef& made)
{
    if (broken_ || !tree_ || !newObject)
        return 0;
    {
        RWErrorCapture capture;
        char key[9];
        record.Key(key);
        RWCString found;
        uint32_t block = RWDiskBTree::kNone;
        const int present = tree_->FindKeyAndValue(key, found, block);
        if (!Clean(capture, *file_))
            Broken();
        if (!present || broken_)
            return 0;
    }
    ReadObject(record, true);
    made = WriteRecord(newObject, 1);
    return made ? 1 : 0;
}

int MPersistentCompositeOnDiskImp::Forwards(const GObjectBase& store) const
{
    const MPersistentCompositeOnDisk* disk = dynamic_cast<const MPersistentCompositeOnDisk*>(&store);
    if (!disk)
        return 1;
    const RWCString& name = disk->GetFileName();
    return name.Length() != name_.Length() || std::memcmp(name.Data(), name_.Data(), name_.Length()) != 0;
}

void MPersistentCompositeOnDiskImp::AddRecord(GObjectBase* object)
{
    {
        Session session(*this);
        if (session.Entered() && object) {
            indexClean_ = false;
            if (const GRecordRef record = WriteRecord(object, 0))
                index_.AddMember(record.Get());
        }
    }
    GObjectBase::Drop(object);
}

void MPersistentCompositeOnDiskImp::RemoveRecord(GObjectBase* object) { AddRecord(object); }

GCountedRef MPersistentCompositeOnDiskImp::Take(const GRecordKey& key, bool take)
{
    Session session(*this);
    if (!session.Entered())
        return GCountedRef();
    if (take)
        indexClean_ = false;
    return index_.Search(key, take, *this);
}

int MPersistentCompositeOnDiskImp::ReplaceFirst(const GRecordKey& key, const GObjectBase* newObject)
{
    Session session(*this);
    if (!session.Entered() || !newObject)
        return 0;
    indexClean_ = false;
    return index_.Replace(key, newObject, *this);
}

GCountedRef MPersistentCompositeOnDiskImp::FindRecordSame(const GObjectBase* object)
{
    return object ? Take(GRecordKey::Same(object), true) : GCountedRef();
}

GCountedRef MPersistentCompositeOnDiskImp::FindRecordById(const long& id) { return Take(GRecordKey::Id(id), true); }

GCountedRef MPersistentCompositeOnDiskImp::FindRecordByClassId(const RWClassID& classId)
{
    return Take(GRecordKey::ClassId(classId), true);
}

int MPersistentCompositeOnDiskImp::ReplaceRecordById(const long& id, const GObjectBase* newObject)
{
    return ReplaceFirst(GRecordKey::Id(id), newObject);
}

int MPersistentCompositeOnDiskImp::ReplaceRecordByClassId(const RWClassID& classId, const GObjectBase* newObject)
{
    return ReplaceFirst(GRecordKey::ClassId(classId), newObject);
}

int MPersistentCompositeOnDiskImp::ReplaceRecordSame(const GObjectBase* object, const GObjectBase* newObject)
{
    return object ? ReplaceFirst(GRecordKey::Same(object), newObject) : 0;
}

GCountedRef MPersistentCompositeOnDiskImp::FindPtrById(const long& id) { return Take(GRecordKey::Id(id), false); }

GCountedRef MPersistentCompositeOnDiskImp::FindPtrByClassId(const RWClassID& classId)
{
    return Take(GRecordKey::ClassId(classId), false);
}

GCountedRef MPersistentCompositeOnDiskImp::FindPtrSame(const GObjectBase* object)
{
    return object ? Take(GRecordKey::Same(object), false) : GCountedRef();
}

uint32_t MPersistentCompositeOnDiskImp::Entries() const
{
    GRecordsStoreGuard guard;
    return index_.LeafCount();
}

uint32_t MPersistentCompositeOnDiskImp::TotalEntries() const { return Entries(); }

GObjectIterator* MPersistentCompositeOnDiskImp::CreateIterator() { return new (std::nothrow) StoreIterator(this); }

void MPersistentCompositeOnDiskImp::RemoveAll()
{
    Session session(*this);
    if (!session.Entered())
        return;
    {
        RWErrorCapture capture;
        if (tree_ && file_ && Clean(capture, *file_))
            tree_->Clear();
        tree_.reset();
        if (file_ && Clean(capture, *file_))
            file_->Erase();
        file_.reset();
    }
    OpenFile();
}

GRecordRef MPersistentCompositeOnDiskImp::RecordAt(uint32_t index) const
{
    GRecordsStoreGuard guard;
    return GRecordRef(index_.MemberAt(index));
}

uint32_t MPersistentCompositeOnDiskImp::RecordCount() const
{
    GRecordsStoreGuard guard;
    return index_.MemberCount();
}

GCountedRef MPersistentCompositeOnDiskImp::PeekRecord(GRecord& record)
{
    Session session(*this);
    return session.Entered() ? ReadObject(record, false) : GCountedRef();
}
