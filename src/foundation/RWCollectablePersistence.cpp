// Object graphs on binary files and typed data streams.
//
// A reference on a binary file: an outermost save starts with u32 0x8888; then u16
// 0xFFFF and u32 number for an object already written, or the class (u16 id; u16 0x888F
// and the name for a class known by name whose name is new; u16 0x888E and u32 number
// of a name already written) followed by the object's SaveGuts. On a typed stream: '@'
// and an int number, or ':', the class as above (numbers as int), '{', SaveGuts, '}'.
//
// One algorithm serves both media: the writer and reader classes below differ only in
// how they put and take the framing items.
#include "foundation/RWBinaryFile.h"
#include "foundation/RWCollectable.h"
#include "foundation/RWCString.h"
#include "foundation/RWClassList.h"
#include "foundation/RWCollectableAssociation.h"
#include "foundation/RWCollection.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWFactory.h"
#include "foundation/RWReadTable.h"
#include "foundation/RWStoreTable.h"

#include <atomic>
#include <new>
#include <optional>

namespace {

const uint32_t kLeadIn = 0x8888;
const uint16_t kBackReference = 0xFFFF;
const uint16_t kNewName = 0x888F;
const uint16_t kNameReference = 0x888E;
// The framing chars of the typed-stream form.
const char kStreamBackReference = '@';
const char kStreamNewObject = ':';
const char kStreamOpen = '{';
const char kStreamClose = '}';

// Set while the module loads, read by every outermost restore after that.
std::atomic<RWCollectable::RestoredCheck> g_restoredCheck{nullptr};

class FileWriter {
public:
    explicit FileWriter(RWBinaryFile& file) : file_(file) {}
    void LeadIn() { file_.Write(static_cast<unsigned int>(kLeadIn)); }
    void BackReference(uint32_t n)
    {
        file_.Write(static_cast<unsigned short>(kBackReference));
        file_.Write(static_cast<unsigned int>(n));
    }
    void Class(RWClassID id) { file_.Write(static_cast<unsigned short>(id)); }
    void NewName(const RWStringID& name)
    {
        file_.Write(static_cast<unsigned short>(kNewName));
        name.Name().SaveOn(file_);
    }
    void NameReference(uint32_t n)
    {
        file_.Write(static_cast<unsigned short>(kNameReference));
        file_.Write(static_cast<unsigned int>(n));
    }
    void Guts(const RWCollectable& obj) { obj.SaveGuts(file_); }

private:
    RWBinaryFile& file_;
};

class StreamWriter {
public:
    explicit StreamWriter(RWDataOutStream& stream) : stream_(stream) {}
    void LeadIn() {}
    void BackReference(uint32_t n) { stream_ << kStreamBackReference << static_cast<int>(n); }
    void Class(RWClassID id) { stream_ << kStreamNewObject << static_cast<unsigned short>(id); }
    void NewName(const RWStringID& name)
    {
        stream_ << kStreamNewObject << static_cast<unsigned short>(kNewName);
        name.Name().SaveOn(stream_);
    }
    void NameReference(uint32_t n)
    {
        stream_ << kStreamNewObject << static_cast<unsigned short>(kNameReference) << static_cast<int>(n);
    }
    void Guts(const RWCollectable& obj)
    {
        stream_ << kStreamOpen;
        obj.SaveGuts(stream_);
        stream_ << kStreamClose;
    }

private:
    RWDataOutStream& stream_;
};

template <class Writer>
void Save(const RWCollectable& obj, Writer writer)
{
    RWStoreTableGuard guard(RWStoreTableGuard::kSave);
    if (guard.Created())
        writer.LeadIn();
    uint32_t number;
    if (!guard.Table().Add(&obj, number)) {
        writer.BackReference(number);
        return;
    }
    const RWClassID id = obj.ClassId();
    if (RWClassIdRangeForStringIds(id)) {
        const RWStringID name = RWFactoryStringId(id);
        if (guard.Table().Add(name, number))
            writer.NewName(name);
        else
            writer.NameReference(number);
    } else {
        writer.Class(id);
    }
    writer.Guts(obj);
}

// One reference as read, up to the object's fields. The name is made only for a new
// name: every other reference, most of a graph, reads without making a string.
struct Reference {
    bool isBackReference = false;
    uint32_t number = 0;   // of the object a back-reference names
    uint16_t tag = 0;      // class id, kNewName or kNameReference
    std::optional<RWStringID> name; // for kNewName
    uint32_t nameNumber = 0; // for kNameReference
};

class FileReader {
public:
    FileReader(RWBinaryFile& file, RWReadTable& table) : file_(file), table_(table) {}

    bool Ready() const { return true; }

    // End of file or an error: nothing to read.
    bool LeadIn()
    {
        unsigned int value = 0;
        if (!file_.Read(value))
            return false;
        if (value != kLeadIn)
            RWRaiseExternal(RWMessageBadMagic(), long(value), long(kLeadIn));
        return true;
    }

    bool Tag(Reference& ref)
    {
        unsigned short tag = 0;
        if (!file_.Read(tag))
            return false;
        ref.tag = tag;
        if (tag == kBackReference) {
            ref.isBackReference = true;
            return ReadNumber(ref.number);
        }
        if (tag == kNameReference)
            return ReadNumber(ref.nameNumber);
        if (tag == kNewName) {
            RWCString name;
            if (!name.RestoreFrom(file_))
                return false;
            ref.name.emplace(name);
        }
        return true;
    }

    bool Open() { return true; }
    void Guts(RWCollectable& obj) { obj.RestoreGuts(file_); }
    bool Ended() const { return file_.Eof() || file_.Error(); }
    void Close() {}

    // A file has no state of its own to fail: when the data is out of step, the rest
    // of the outermost restore reads nothing.
    void Fail(bool inStep)
    {
        if (!inStep)
            table_.SetFailed();
    }

private:
    bool ReadNumber(uint32_t& n)
    {
        unsigned int value = 0;
        if (!file_.Read(value))
            return false;
        n = value;
        return true;
    }

    RWBinaryFile& file_;
    RWReadTable& table_;
};

class StreamReader {
public:
    StreamReader(RWDataInStream& stream, RWReadTable& table) : stream_(stream), table_(table) {}

    bool Ready() const { return stream_.Good(); }
    bool LeadIn() { return true; }

    bool Tag(Reference& ref)
    {
        char c = 0;
        stream_ >> c;
        if (!stream_.Good())
            return Failed();
        if (c == kStreamBackReference) {
            ref.isBackReference = true;
            ref.tag = kBackReference;
            return ReadNumber(ref.number);
        }
        if (c != kStreamNewObject)
            return Failed();
        unsigned short tag = 0;
        stream_ >> tag;
        if (!stream_.Good())
            return Failed();
        ref.tag = tag;
        if (tag == kNameReference)
            return ReadNumber(ref.nameNumber);
        if (tag == kNewName) {
            RWCString name;
            if (!name.RestoreFrom(stream_))
                return Failed();
            ref.name.emplace(name);
        }
        return true;
    }

    bool Open()
    {
        char c = 0;
        stream_ >> c;
        return stream_.Good() && c == kStreamOpen ? true : Failed();
    }

    void Guts(RWCollectable& obj) { obj.RestoreGuts(stream_); }
    bool Ended() const { return !stream_.Good(); }

    // The closing char is taken as it comes.
    void Close()
    {
        char c;
        stream_ >> c;
    }

    // A refusal, not data that ended: the rest of the outermost restore reads nothing.
    void Fail(bool)
    {
        table_.SetFailed();
        Failed();
    }

private:
    bool Failed()
    {
        stream_.SetState(stream_.State() | RWDataStream::kFail);
        return false;
    }

    // A negative number names nothing: it becomes one beyond any table.
    bool ReadNumber(uint32_t& n)
    {
        int value = 0;
        stream_ >> value;
        if (!stream_.Good())
            return Failed();
        n = value < 0 ? UINT32_MAX : uint32_t(value);
        return true;
    }

    RWDataInStream& stream_;
    RWReadTable& table_;
};

void RaiseBadReference() { RWRaiseInternal(RWMessageBadReference()); }

// An outermost object the restore does not hand out goes with what it owns: the members
// of a collection and the key and value of an association are their own, though their
// destructors leave them.
void Discard(RWCollectable* obj)
{
    if (auto* collection = dynamic_cast<RWCollection*>(obj)) {
        collection->ClearAndDestroy();
    } else if (auto* pair = dynamic_cast<RWCollectableAssociation*>(obj)) {
        RWCollectable* key = pair->Key();
        RWCollectable* value = pair->Value();
        if (key && key != obj && key != &RWNilObject)
            delete key;
        if (value && value != key && value != obj && value != &RWNilObject)
            delete value;
    }
    delete obj;
}

void RaiseUnexpectedClass(RWClassID found, RWClassID expected)
{
    RWRaiseInternal(RWMessageUnexpectedClassId(), unsigned(found), unsigned(expected));
}

// The class a reference stores, as an id: the tag, the id recorded for a name number,
// or the registered id of a new name. False after [REF] for a name number that names
// no class id.
bool StoredClass(const Reference& ref, const RWReadTable& table, RWClassID& id)
{
    if (ref.tag == kNameReference)
        return table.ClassIdAt(ref.nameNumber, id);
    id = ref.tag == kNewName ? RWFactoryClassId(*ref.name) : ref.tag;
    return true;
}

// What the factory knows of the stored class's kind: a new name asks by the name (the
// class the restore would make), anything else by the id.
RWKindAnswer StoredKind(const Reference& ref, RWClassID stored, RWClassID expected)
{
    return ref.tag == kNewName ? RWFactoryIsKindOf(*ref.name, expected) : RWFactoryIsKindOf(stored, expected);
}

// True when an object read in place into p is of the class the reference stores.
bool FitsInPlace(const Reference& ref, RWClassID stored, const RWCollectable& p)
{
    if (ref.tag == kNewName)
        return RWFactoryStringId(p.ClassId()) == *ref.name;
    return stored == p.ClassId();
}

template <class Reader>
RWCollectable* Restore(Reader&& reader, RWReadTable& table, bool outermost, RWCollectable* p,
                       RWCollectable::KindTest accept, RWClassID expected, RWHolding holding)
{
    if (!reader.Ready())
        return nullptr;
    if (table.Failed()) {
        reader.Fail(false);
        return nullptr;
    }
    if (outermost && !reader.LeadIn())
        return nullptr;
    Reference ref;
    if (!reader.Tag(ref))
        return nullptr;

    if (ref.isBackReference) {
        RWCollectable* obj = nullptr;
        if (!table.ObjectAt(ref.number, obj) || (p && obj != p)) {
            RaiseBadReference();
            reader.Fail(true);
            return nullptr;
        }
        if (obj == &RWNilObject)
            return nullptr;
        if (accept && !accept(obj)) {
            RaiseUnexpectedClass(obj->ClassId(), expected);
            reader.Fail(true);
            return nullptr;
        }
        // Kept by both a plain-pointer owner and counted holders, the object would be
        // freed twice.
        if (!table.Claim(ref.number, holding)) {
            RaiseBadReference();
            reader.Fail(true);
            return nullptr;
        }
        return obj;
    }

    RWClassID stored = RWNoClassId;
    if (!StoredClass(ref, table, stored)) {
        RaiseBadReference();
        reader.Fail(false);
        return nullptr;
    }
    if (!reader.Open())
        return nullptr;
    // A read under a closed list of classes makes none other: the stored class is
    // looked up before anything is made, so a class that may open, load or delete
    // something never runs a line of its own.
    if (!p) {
        const RWClassList* list = RWClassList::Current();
        if (list && !list->Holds(stored)) {
            table.SetRefused();
            RaiseUnexpectedClass(stored, expected);
            reader.Fail(false);
            return nullptr;
        }
    }
    // A restore that expects a kind decides it from the stored class before the object
    // is made: a refused object's constructor and reader never run.
    if (!p && accept && expected != RWNoClassId && StoredKind(ref, stored, expected) == RWKindAnswer::No) {
        RaiseUnexpectedClass(stored, expected);
        reader.Fail(false);
        return nullptr;
    }
    if (p && !FitsInPlace(ref, stored, *p)) {
        RaiseUnexpectedClass(stored, p->ClassId());
        reader.Fail(false);
        return nullptr;
    }
    RWCollectable* obj = p;
    if (!obj)
        obj = ref.tag == kNewName ? RWFactoryCreate(*ref.name) : RWFactoryCreate(stored);
    if (!obj) {
        const unsigned tag = ref.tag == kNameReference ? stored : ref.tag;
        RWRaiseInternal(RWMessageNoCreate(), tag, tag);
        reader.Fail(false);
        return nullptr;
    }

    // In the table before its fields are read, so that members pointing back at it
    // resolve to it.
    const uint32_t number = table.Entries();
    table.AppendObject(obj, p != nullptr, p ? RWHolding::Borrowed : holding);
    if (ref.tag == kNewName)
        table.AppendClassId(obj->ClassId());

    const bool refused = accept && !accept(obj);
    if (refused)
        RaiseUnexpectedClass(obj->ClassId(), expected);
    else if (!table.Begin(obj))
        RWRaiseExternal(RWMessageReadError());
    else {
        reader.Guts(*obj);
        table.End();
        // Data that ran out inside a member (not a refusal, which fails the table)
        // leaves an object that is not the one stored.
        if (!outermost && reader.Ended() && !table.Failed())
            table.SetCutShort();
        reader.Close();
        if (!outermost || (!table.CutShort() && !table.Refused()))
            return obj;
        RWRaiseExternal(RWMessageReadError());
        reader.Fail(false);
        if (!p)
            Discard(obj);
        return nullptr;
    }
    // Refused or nested too deep: nothing has seen the object yet.
    table.Vacate(number);
    if (!p)
        delete obj;
    reader.Fail(false);
    return nullptr;
}

// Marks the input as ended: a file is left at its end with end-of-file set, a stream
// failed at its end.
void EndInput(RWBinaryFile& file)
{
    char none;
    file.SeekToEnd();
    file.Read(none);
}

void EndInput(RWDataInStream& stream)
{
    stream.SetState(stream.State() | RWDataStream::kEof | RWDataStream::kFail);
}

template <class Reader, class Medium>
RWCollectable* RestoreFrom(Medium& medium, RWCollectable* p, RWCollectable::KindTest accept, RWClassID expected,
                           RWHolding holding = RWHolding::Owned)
{
    if (RWReadTable::Current()) {
        // Inside a restore: running out of memory goes up to the outermost call.
        RWReadTableGuard guard;
        return Restore(Reader(medium, guard.Table()), guard.Table(), false, p, accept, expected, holding);
    }
    // Memory running out anywhere in the graph ends the whole restore here: the result
    // is null and the input ended. What was made before may be half linked, so it is
    // left as it is rather than deleted.
    try {
        RWReadTableGuard guard;
        RWCollectable* obj = Restore(Reader(medium, guard.Table()), guard.Table(), true, p, accept, expected, holding);
        const RWCollectable::RestoredCheck check = g_restoredCheck.load(std::memory_order_acquire);
        if (obj && check && !check(obj)) {
            if (obj != p)
                Discard(obj);
            RWRaiseExternal(RWMessageReadError());
            return nullptr;
        }
        return obj;
    } catch (const std::bad_alloc&) {
        EndInput(medium);
        return nullptr;
    }
}

} // namespace

void RWCollectable::RecursiveSaveOn(RWBinaryFile& file) const { Save(*this, FileWriter(file)); }
void RWCollectable::RecursiveSaveOn(RWDataOutStream& stream) const { Save(*this, StreamWriter(stream)); }

uint32_t RWCollectable::RecursiveStoreSize() const
{
    RWStoreTableGuard guard(RWStoreTableGuard::kSize);
    uint32_t size = guard.Created() ? 4 : 0;
    uint32_t number;
    if (!guard.Table().Add(this, number))
        return size + 6;
    size += 2;
    const RWClassID id = ClassId();
    if (RWClassIdRangeForStringIds(id)) {
        const RWStringID name = RWFactoryStringId(id);
        size += guard.Table().Add(name, number) ? uint32_t(name.Name().BinaryStoreSize()) : 4;
    }
    return size + BinaryStoreSize();
}

void RWCollectable::RestoreNew(RWBinaryFile& file, RWCollectable*& obj)
{
    obj = RestoreFrom<FileReader>(file, nullptr, nullptr, RWNoClassId);
}

void RWCollectable::RestoreNew(RWDataInStream& stream, RWCollectable*& obj)
{
    obj = RestoreFrom<StreamReader>(stream, nullptr, nullptr, RWNoClassId);
}

RWCollectable* RWCollectable::RecursiveRestoreFrom(RWBinaryFile& file, RWCollectable* p)
{
    return RestoreFrom<FileReader>(file, p, nullptr, RWNoClassId);
}

RWCollectable* RWCollectable::RecursiveRestoreFrom(RWDataInStream& stream, RWCollectable* p)
{
    return RestoreFrom<StreamReader>(stream, p, nullptr, RWNoClassId);
}

RWCollectable* RWCollectable::RestoreKindOf(RWBinaryFile& file, KindTest accept, RWClassID expected,
                                            RWHolding holding)
{
    return RestoreFrom<FileReader>(file, nullptr, accept, expected, holding);
}

RWCollectable* RWCollectable::RestoreKindOf(RWDataInStream& stream, KindTest accept, RWClassID expected,
                                            RWHolding holding)
{
    return RestoreFrom<StreamReader>(stream, nullptr, accept, expected, holding);
}

bool RWCollectable::IsBeingRestored(const RWCollectable* obj)
{
    const RWReadTable* table = RWReadTable::Current();
    return table && obj && table->IsInProgress(obj);
}

bool RWCollectable::IsRestoredInPlace(const RWCollectable* obj)
{
    const RWReadTable* table = RWReadTable::Current();
    return table && obj && table->IsInPlace(obj);
}

void RWCollectable::SetRestoredCheck(RestoredCheck check) { g_restoredCheck.store(check, std::memory_order_release); }

RWBinaryFile& operator<<(RWBinaryFile& file, const RWCollectable* obj)
{
    (obj ? obj : &RWNilObject)->RecursiveSaveOn(file);
    return file;
}

RWDataOutStream& operator<<(RWDataOutStream& stream, const RWCollectable* obj)
{
    (obj ? obj : &RWNilObject)->RecursiveSaveOn(stream);
    return stream;
}

RWBinaryFile& operator>>(RWBinaryFile& file, RWCollectable*& obj)
{
    obj = nullptr;
    RWCollectable::RestoreNew(file, obj);
    return file;
}

RWDataInStream& operator>>(RWDataInStream& stream, RWCollectable*& obj)
{
    obj = nullptr;
    RWCollectable::RestoreNew(stream, obj);
    return stream;
}
