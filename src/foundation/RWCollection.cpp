#include "foundation/RWCollection.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "foundation/RWIdentitySet.h"
#include "foundation/RWReadTable.h"

#include <vector>

namespace {

// True when the restore this call is part of went out of step: nothing more can be
// read in it.
bool RestoreStopped()
{
    const RWReadTable* table = RWReadTable::Current();
    return table && table->Failed();
}

// Inserts a member of source into target. Two collections that both delete their
// members never share one: target gets a copy, deleted again when refused.
void InsertFrom(const RWCollection& source, RWCollection& target, RWCollectable* member)
{
    if (!source.OwnsMembers() || !target.OwnsMembers() || !member) {
        target.Insert(member);
        return;
    }
    RWCollectable* copy = member->Copy();
    if (target.Insert(copy) != copy)
        delete copy;
}

} // namespace

RWClassID RWCollection::ClassId() const { return kClassId; }

void RWCollection::ClearAndDestroy()
{
    // An identity set takes an object held several times once.
    RWIdentitySet distinct(uint32_t(Entries() / 4));
    Apply([](RWCollectable* m, void* set) { static_cast<RWIdentitySet*>(set)->Insert(m); }, &distinct);
    ClearThenDestroy(distinct.MemberList());
}

// Taken before a loop changes a collection, so that a collection can be combined with
// itself.
std::vector<RWCollectable*> RWCollection::MemberList() const
{
    std::vector<RWCollectable*> members;
    members.reserve(Entries());
    Apply([](RWCollectable* m, void* arg) { static_cast<std::vector<RWCollectable*>*>(arg)->push_back(m); },
          &members);
    return members;
}

void RWCollection::ClearThenDestroy(const std::vector<RWCollectable*>& distinct)
{
    // The members go after Clear, so that a member's destructor never meets a
    // collection that still lists it.
    Clear();
    for (RWCollectable* member : distinct)
        if (member != &RWNilObject && member != this)
            delete member;
}

bool RWCollection::Contains(const RWCollectable* obj) const { return Find(obj) != nullptr; }

void RWCollection::RemoveAndDestroy(const RWCollectable* obj)
{
    RWCollectable* removed = Remove(obj);
    if (removed != &RWNilObject)
        delete removed;
}

RWCollection* RWCollection::Select(RWTestCollectable test, const void* arg) const
{
    RWCollection* result = static_cast<RWCollection*>(CreateNew());
    for (RWCollectable* member : MemberList())
        if (test(member, arg))
            InsertFrom(*this, *result, member);
    return result;
}

void RWCollection::AddContentsFrom(const RWCollection& other)
{
    for (RWCollectable* member : other.MemberList())
        InsertFrom(other, *this, member);
}

void RWCollection::AddContentsTo(RWCollection& other) const { other.AddContentsFrom(*this); }

void RWCollection::CopyContentsTo(RWCollection& other) const
{
    for (RWCollectable* member : MemberList())
        if (member) {
            RWCollectable* copy = member->Copy();
            if (other.Insert(copy) != copy)
                delete copy;
        }
}

void RWCollection::RemoveContentsOf(const RWCollection& other)
{
    for (RWCollectable* member : other.MemberList())
        Remove(member);
}

uint32_t RWCollection::BinaryStoreSize() const
{
    uint32_t size = 4;
    Apply([](RWCollectable* m, void* total) {
        *static_cast<uint32_t*>(total) += (m ? m : &RWNilObject)->RecursiveStoreSize();
    }, &size);
    return size;
}

void RWCollection::SaveGuts(RWBinaryFile& file) const
{
    file.Write(static_cast<unsigned int>(Entries()));
    Apply([](RWCollectable* m, void* f) {
        RWBinaryFile& file = *static_cast<RWBinaryFile*>(f);
        if (!file.Error())
            file << m;
    }, &file);
}

void RWCollection::SaveGuts(RWDataOutStream& stream) const
{
    stream << static_cast<unsigned int>(Entries());
    Apply([](RWCollectable* m, void* s) {
        RWDataOutStream& stream = *static_cast<RWDataOutStream*>(s);
        if (stream.Good())
            stream << m;
    }, &stream);
}

void RWCollection::RestoreGuts(RWBinaryFile& file)
{
    RestoreBegin();
    unsigned int count = 0;
    if (!file.Read(count))
        return;
    // Every member read takes bytes or ends the loop, so a damaged count cannot keep
    // it going past the end of the data.
    for (unsigned int i = 0; i < count && !file.Eof() && !file.Error() && !RestoreStopped(); ++i)
        RestoreOneMember(file);
}

void RWCollection::RestoreGuts(RWDataInStream& stream)
{
    RestoreBegin();
    unsigned int count = 0;
    stream >> count;
    for (unsigned int i = 0; i < count && stream.Good(); ++i)
        RestoreOneMember(stream);
}

void RWCollection::RestoreBegin() { Clear(); }

void RWCollection::RestoreMember(RWCollectable* member, uint32_t first)
{
    if (!member || member == &RWNilObject)
        return;
    const size_t before = Entries();
    RestoreInsert(member);
    if (Entries() == before && first != kReadUnknown)
        DropRefused(member, first);
}

void RWCollection::RestoreInsert(RWCollectable* member) { Insert(member); }

uint32_t RWCollection::NextReadNumber()
{
    const RWReadTable* table = RWReadTable::Current();
    return table ? table->Entries() : 0;
}

void RWCollection::DropRefused(RWCollectable* obj, uint32_t first)
{
    RWReadTable* table = RWReadTable::Current();
    if (!table) {
        // Read by a restore of its own, which has ended: nothing else can name it.
        delete obj;
        return;
    }
    // Made by this read (not one a back-reference named): freed, it takes its numbers
    // and those of everything read inside it with it, so nothing later names it.
    RWCollectable* made = nullptr;
    if (!table->ObjectAt(first, made) || made != obj)
        return;
    delete obj;
}

void RWCollection::RestoreOneMember(RWBinaryFile& file)
{
    const uint32_t first = NextReadNumber();
    RestoreMember(RecursiveRestoreFrom(file), first);
}

void RWCollection::RestoreOneMember(RWDataInStream& stream)
{
    const uint32_t first = NextReadNumber();
    RestoreMember(RecursiveRestoreFrom(stream), first);
}
