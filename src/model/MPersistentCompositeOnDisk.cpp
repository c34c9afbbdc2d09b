#include "model/MPersistentCompositeOnDisk.h"

#include "model/GRecordsStoreLock.h"
#include "model/GTextConverter.h"
#include "model/MPersistentCompositeOnDiskImp.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace {

bool SameName(const RWCString& a, const RWCString& b)
{
    return a.Length() == b.Length() && std::memcmp(a.Data(), b.Data(), a.Length()) == 0;
}

// One entry per open store object: the name it is open on and its implementation.
struct OpenEntry {
    RWCString name;
    GCountedRef imp;
};

// One entry per file name that live store objects carry: how many carry it, and
// whether any of them asked for the file to be deleted.
struct NameInUse {
    RWCString name;
    uint32_t live;
    bool deleteWanted;
};

// Both tables change only under the records-store lock.
struct StoreTables {
    std::vector<OpenEntry> open;
    std::vector<NameInUse> names;
};

StoreTables& Tables()
{
    static StoreTables tables;
    return tables;
}

void TrackName(const RWCString& name, uint32_t deleteFlag)
{
    if (name.IsNull())
        return;
    for (NameInUse& use : Tables().names)
        if (SameName(use.name, name)) {
            ++use.live;
            use.deleteWanted = use.deleteWanted || deleteFlag == 1;
            return;
        }
    Tables().names.push_back({name, 1, deleteFlag == 1});
}

// True when this was the last live store object of the name and the file is to go.
bool UntrackName(const RWCString& name)
{
    std::vector<NameInUse>& names = Tables().names;
    for (size_t i = 0; i < names.size(); ++i)
        if (SameName(names[i].name, name)) {
            if (--names[i].live != 0)
                return false;
            const bool remove = names[i].deleteWanted;
            names.erase(names.begin() + i);
            return remove;
        }
    return false;
}

// The folders the module made for its spool files. Few: one per job that spools, until
// the job removes it.
const size_t kMostSpoolFolders = 64;

std::vector<RWCString>& SpoolFolders()
{
    static std::vector<RWCString> folders;
    return folders;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameFolder(const char* a, size_t aLength, const RWCString& b)
{
    if (aLength != b.Length())
        return false;
    for (size_t i = 0; i < aLength; ++i)
        if (Lower(a[i]) != Lower(b.Data()[i]))
            return false;
    return true;
}

// An absolute name of the file system: a drive's root ("C:\") or a share
// ("\\server\share"), with no device or verbatim prefix, no forward slashes, no stream
// suffix and no "." or ".." step, so that what it names is exactly what it says.
bool IsPlainAbsolute(const RWCString& name)
{
    const char* text = name.Data();
    const size_t length = name.Length();
    if (length < 3 || std::strlen(text) != length)
        return false;
    size_t start = 0;
    if (((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')) && text[1] == ':' &&
        text[2] == '\\')
        start = 3;
    else if (text[0] == '\\' && text[1] == '\\' && text[2] != '\\' && text[2] != '?' && text[2] != '.')
        start = 2;
    else
        return false;
    size_t step = start;
    for (size_t i = start; i <= length; ++i) {
        if (i < length && (text[i] == '/' || text[i] == ':'))
            return false;
        if (i == length || text[i] == '\\') {
            const size_t size = i - step;
            if (size == 0 && i < length)
                return false;
            if ((size == 1 && text[step] == '.') || (size == 2 && text[step] == '.' && text[step + 1] == '.'))
                return false;
            step = i + 1;
        }
    }
    return true;
}

// A name the module made for a records file: absolute, directly inside a spool folder.
bool IsSpoolName(const RWCString& name)
{
    if (!IsPlainAbsolute(name))
        return false;
    const char* text = name.Data();
    size_t cut = name.Length();
    while (cut > 0 && text[cut - 1] != '\\')
        --cut;
    if (cut < 2 || cut == name.Length())
        return false;
    for (const RWCString& folder : SpoolFolders())
        if (SameFolder(text, cut - 1, folder))
            return true;
    return false;
}

// The folder's narrow name without trailing separators.
RWCString FolderName(const RWWString& folder)
{
    RWCString narrow;
    ToNarrowString(folder, narrow);
    while (narrow.Length() > 3 && narrow.Data()[narrow.Length() - 1] == '\\')
        narrow = RWCString(narrow.Data(), narrow.Length() - 1);
    return narrow;
}

} // namespace

bool MPersistentCompositeOnDisk::IsAbsoluteFolder(const RWWString& folder)
{
    return !folder.IsNull() && IsPlainAbsolute(FolderName(folder));
}

bool MPersistentCompositeOnDisk::AddSpoolFolder(const RWWString& folder)
{
    if (!IsAbsoluteFolder(folder))
        return false;
    const RWCString narrow = FolderName(folder);
    GRecordsStoreGuard guard;
    std::vector<RWCString>& folders = SpoolFolders();
    for (const RWCString& known : folders)
        if (SameFolder(narrow.Data(), narrow.Length(), known))
            return true;
    if (folders.size() == kMostSpoolFolders)
        folders.erase(folders.begin());
    folders.push_back(narrow);
    return true;
}

void MPersistentCompositeOnDisk::ForgetSpoolFolder(const RWWString& folder)
{
    const RWCString narrow = FolderName(folder);
    GRecordsStoreGuard guard;
    std::vector<RWCString>& folders = SpoolFolders();
    for (size_t i = 0; i < folders.size(); ++i)
        if (SameFolder(narrow.Data(), narrow.Length(), folders[i])) {
            folders.erase(folders.begin() + i);
            return;
        }
}

MPersistentCompositeOnDisk::MPersistentCompositeOnDisk() : state_(kClosed), deleteFlag_(0), failed_(0) {}

MPersistentCompositeOnDisk::MPersistentCompositeOnDisk(const RWWString& name, const uint32_t& deleteFlag,
                                                       const long& id)
    : GPersistent(id), state_(kClosed), deleteFlag_(0), failed_(0)
{
    RWCString narrow;
    ToNarrowString(name, narrow);
    TakeName(narrow, deleteFlag);
}

MPersistentCompositeOnDisk::MPersistentCompositeOnDisk(const RWCString& name, const uint32_t& deleteFlag,
                                                       const long& id)
    : GPersistent(id), state_(kClosed), deleteFlag_(0), failed_(0)
{
    TakeName(name, deleteFlag);
}

// A name that is not one of the module's spool files leaves the store without a file:
// failed, and nothing is opened or created.
void MPersistentCompositeOnDisk::TakeName(const RWCString& name, uint32_t deleteFlag)
{
    GRecordsStoreGuard guard;
    if (!IsSpoolName(name)) {
        failed_ = 1;
        return;
    }
    Rename(name, deleteFlag);
    Open();
}

MPersistentCompositeOnDisk::MPersistentCompositeOnDisk(const MPersistentCompositeOnDisk& other)
    : GPersistent(other), state_(kClosed), deleteFlag_(0), failed_(other.failed_)
{
    GRecordsStoreGuard guard;
    if (other.fromBytes_) {
        Restored(other.name_);
        return;
    }
    Rename(other.name_, other.deleteFlag_);
    if (other.state_ == kOpen)
        Open();
}

MPersistentCompositeOnDisk& MPersistentCompositeOnDisk::operator=(const MPersistentCompositeOnDisk& other)
{
    if (this == &other)
        return *this;
    GObjectBase::operator=(other);
    GRecordsStoreGuard guard;
    if (imp_ && imp_.Get() == other.imp_.Get() && deleteFlag_ == other.deleteFlag_)
        return *this;
    Close();
    if (other.fromBytes_) {
        Restored(other.name_);
        return *this;
    }
    Rename(other.name_, other.deleteFlag_);
    failed_ = other.failed_;
    if (other.state_ == kOpen)
        Open();
    return *this;
}

MPersistentCompositeOnDisk::~MPersistentCompositeOnDisk()
{
    GRecordsStoreGuard guard;
    Close();
    imp_.Set(nullptr);
    if (!fromBytes_ && UntrackName(name_))
        std::remove(name_.Data());
}

// Only a name this object was given by code is tracked, and only such a name's file is
// ever removed.
void MPersistentCompositeOnDisk::Rename(const RWCString& name, uint32_t deleteFlag)
{
    if (!fromBytes_ && UntrackName(name_))
        std::remove(name_.Data());
    fromBytes_ = false;
    name_ = name;
    deleteFlag_ = deleteFlag;
    TrackName(name_, deleteFlag_);
}

bool MPersistentCompositeOnDisk::IsSame(const GObjectBase* other) const
{
    const MPersistentCompositeOnDisk* store = GSameClass<MPersistentCompositeOnDisk>(this, other);
    return store && SameName(name_, store->name_) && state_ == store->state_ && imp_.Get() == store->imp_.Get() &&
           deleteFlag_ == store->deleteFlag_;
}

void MPersistentCompositeOnDisk::Open(const RWCString& name)
{
    GRecordsStoreGuard guard;
    if (state_ == kOpen || fromBytes_)
        return;
    if (!SameName(name, name_)) {
        if (!IsSpoolName(name))
            return;
        Rename(name, deleteFlag_);
    }
    if (name_.IsNull())
        return;
    state_ = kOpen;
    std::vector<OpenEntry>& open = Tables().open;
    for (const OpenEntry& entry : open)
        if (SameName(entry.name, name_)) {
            imp_ = entry.imp;
            open.push_back({name_, imp_});
            return;
        }
    imp_.Set(new (std::nothrow) MPersistentCompositeOnDiskImp(name_, GetId()));
    if (imp_)
        open.push_back({name_, imp_});
}

void MPersistentCompositeOnDisk::Close()
{
    GRecordsStoreGuard guard;
    if (state_ != kOpen)
        return;
    state_ = kClosed;
    std::vector<OpenEntry>& open = Tables().open;
    for (size_t i = 0; i < open.size(); ++i)
        if (SameName(open[i].name, name_)) {
            open.erase(open.begin() + i);
            break;
        }
    if (MPersistentCompositeOnDiskImp* imp = static_cast<MPersistentCompositeOnDiskImp*>(imp_.Get())) {
        // The last holder closes the file itself, so that a write that fails there
        // fails this close: what the file holds is then on disk, or the store failed.
        failed_ = imp_->References() == 0 ? imp->Finish() : imp->HasFailed();
    }
    imp_.Set(nullptr);
}

uint32_t MPersistentCompositeOnDisk::HasFailed()
{
    GRecordsStoreGuard guard;
    if (state_ == kOpen)
        failed_ = imp_ ? static_cast<MPersistentCompositeOnDiskImp*>(imp_.Get())->HasFailed() : 1;
    return failed_;
}

// A store read from bytes is closed for good: the name it carries is only kept to tell
// it apart; no file of that name is opened, made, renamed or removed through it, and its
// delete flag is never taken from the bytes.
void MPersistentCompositeOnDisk::Restored(const RWCString& name)
{
    GRecordsStoreGuard guard;
    Close();
    Rename(RWCString(), 0);
    name_ = name;
    deleteFlag_ = 0;
    fromBytes_ = true;
    failed_ = 1;
}

MPersistentCompositeOnDiskImp* MPersistentCompositeOnDisk::Imp()
{
    if (fromBytes_)
        return nullptr;
    if (state_ != kOpen)
        Open();
    return static_cast<MPersistentCompositeOnDiskImp*>(imp_.Get());
}

void MPersistentCompositeOnDisk::AddRecord(GObjectBase* object)
{
    if (MPersistentCompositeOnDiskImp* imp = Imp())
        imp->AddRecord(object);
    else
        GObjectBase::Drop(object);
}

void MPersistentCompositeOnDisk::RemoveRecord(GObjectBase* object) { AddRecord(object); }

GCountedRef MPersistentCompositeOnDisk::FindRecordSame(const GObjectBase* object)
{
    MPersistentCompositeOnDiskImp* imp = Imp();
    return imp ? imp->FindRecordSame(object) : GCountedRef();
}

GCountedRef MPersistentCompositeOnDisk::FindRecordById(const long& id)
{
    MPersistentCompositeOnDiskImp* imp = Imp();
    return imp ? imp->FindRecordById(id) : GCountedRef();
}

GCountedRef MPersistentCompositeOnDisk::FindRecordByClassId(const RWClassID& classId)
{
    MPersistentCompositeOnDiskImp* imp = Imp();
    return imp ? imp->FindRecordByClassId(classId) : GCountedRef();
}

int MPersistentCompositeOnDisk::ReplaceRecordById(const long& id, const GObjectBase* newObject)
{
    MPersistentCompositeOnDiskImp* imp = Imp();
    return imp ? imp->ReplaceRecordById(id, newObject) : 0;
}

int MPersistentCompositeOnDisk::ReplaceRecordByClassId(const RWClassID& classId, const GObjectBase* newObject)
{
    MPersistentCompositeOnDiskImp* imp = Imp();
    return imp ? imp->ReplaceRecordByClassId(classId, newObject) : 0;
}

int MPersistentCompositeOnDisk::ReplaceRecordSame(const GObjectBase* object, const GObjectBase* newObject)
{
    MPersistentCompositeOnDiskImp* imp = Imp();
    return imp ? imp->ReplaceRecordSame(object, newObject) : 0;
}

void MPersistentCompositeOnDisk::RemoveAll()
{
    if (MPersistentCompositeOnDiskImp* imp = Imp())
        imp->RemoveAll();
}

GCountedRef MPersistentCompositeOnDisk::FindPtrById(const long& id)
{
    MPersistentCompositeOnDiskImp* imp = Imp();
    return imp ? imp->FindPtrById(id) : GCountedRef();
}

GCountedRef MPersistentCompositeOnDisk::FindPtrByClassId(const RWClassID& classId)
{
    MPersistentCompositeOnDiskImp* imp = Imp();
    return imp ? imp->FindPtrByClassId(classId) : GCountedRef();
}

GCountedRef MPersistentCompositeOnDisk::FindPtrSame(const GObjectBase* object)
{
    MPersistentCompositeOnDiskImp* imp = Imp();
    return imp ? imp->FindPtrSame(object) : GCountedRef();
}

uint32_t MPersistentCompositeOnDisk::Entries() const
{
    MPersistentCompositeOnDiskImp* imp = const_cast<MPersistentCompositeOnDisk*>(this)->Imp();
    return imp ? imp->Entries() : 0;
}

uint32_t MPersistentCompositeOnDisk::TotalEntries() const { return Entries(); }

GObjectIterator* MPersistentCompositeOnDisk::CreateIterator()
{
    MPersistentCompositeOnDiskImp* imp = Imp();
    return imp ? imp->CreateIterator() : GObjectBase::CreateIterator();
}
