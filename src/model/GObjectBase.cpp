#include "model/GObjectBase.h"

#include "foundation/RWReadTable.h"
#include "foundation/RWRefCount.h"
#include "foundation/RWThreadContext.h"
#include "model/GMemberKey.h"
#include "model/GNullIterator.h"
#include "model/GStoredFields.h"
#include "model/MPersistentComposite.h"

#include <atomic>
#include <new>

namespace {

// The next serial number; 0 is never handed out.
std::atomic<uint32_t> g_nextSerial{0};

uint32_t NextSerial()
{
    for (;;) {
        const uint32_t serial = g_nextSerial.fetch_add(1, std::memory_order_relaxed);
        if (serial != 0)
            return serial;
    }
}

// The leaf side of the tree operations: this object alone is tested.
GObjectBase* FindSelf(GObjectBase* self, const GMemberKey& key) { return key.Matches(self) ? self : nullptr; }

GObjectBase* CollectSelf(GObjectBase* self, const GMemberKey& key, GObjectBase* into)
{
    if (into && key.Matches(self))
        into->Add(self);
    return into;
}

GObjectBase* SelectSelf(GObjectBase* self, const GMemberKey& key)
{
    if (!key.Matches(self))
        return nullptr;
    MPersistentComposite* selection = new (std::nothrow) MPersistentComposite;
    if (selection)
        selection->Add(self);
    return selection;
}

bool MayBeHeld(const RWCollectable* object)
{
    const GObjectBase* model = dynamic_cast<const GObjectBase*>(object);
    return model && !model->IsEmbedded() && !RWCollectable::IsBeingRestored(object) &&
           !RWCollectable::IsRestoredInPlace(object);
}

// What the factory could not decide (a back-reference, a class registered without its
// ancestry) the object answers. One of another kind is not kept; a new one, which
// nothing else holds, goes.
template <class In>
GObjectBase* RestoreHeldOf(In& in, RWClassID kind)
{
    const RWReadTable* table = RWReadTable::Current();
    const uint32_t number = table ? table->Entries() : 0;
    GObjectBase* object =
        static_cast<GObjectBase*>(RWCollectable::RestoreKindOf(in, MayBeHeld, kind, RWHolding::Counted));
    if (!object || kind == GObjectBase::kClassId || object->IsKindOf(kind))
        return object;
    RWCollectable* entry = nullptr;
    if (!table || (table->ObjectAt(number, entry) && entry == object))
        GObjectBase::Drop(object);
    return nullptr;
}

bool ReadTableFailed()
{
    const RWReadTable* table = RWReadTable::Current();
    return table && table->Failed();
}

// How many SerialsOmitted scopes the calling thread has open: the thread's own count even
// when it shares the foundation's context with other threads.
const RWThreadNumber t_serialsOmitted;

uintptr_t SerialsOmittedDepth() { return t_serialsOmitted.Get(); }

} // namespace

GObjectBase::SerialsOmitted::SerialsOmitted()
{
    t_serialsOmitted.Set(SerialsOmittedDepth() + 1);
}

GObjectBase::SerialsOmitted::~SerialsOmitted()
{
    t_serialsOmitted.Set(SerialsOmittedDepth() - 1);
}

GObjectBase::GObjectBase() : references_(-1), id_(0), serial_(0), embedded_(false) { TakeNextSerial(); }

GObjectBase::GObjectBase(const long& id) : references_(-1), id_(id), serial_(0), embedded_(false)
{
    TakeNextSerial();
}

GObjectBase::GObjectBase(const GObjectBase& other)
    : RWCollectable(other), references_(-1), id_(other.id_), serial_(other.serial_), embedded_(false)
{
}

GObjectBase& GObjectBase::operator=(const GObjectBase& other)
{
    if (this != &other) {
        id_ = other.id_;
        serial_ = other.serial_;
    }
    return *this;
}

GObjectBase* GObjectBase::CreateNew() const { return new GObjectBase; }
GObjectBase* GObjectBase::Copy() const { return new GObjectBase(*this); }
GObjectBase::~GObjectBase() {}

uint32_t GObjectBase::BinaryStoreSize() const { return RWCollectable::BinaryStoreSize() + 12; }

bool GObjectBase::IsEqual(const RWCollectable* other) const
{
    return other && other->ClassId() == ClassId() && IsSame(dynamic_cast<const GObjectBase*>(other));
}

template <class In>
void GObjectBase::ReadFields(In& in)
{
    int32_t id = 0;
    int32_t serial = 0;
    if (!GReadFields(in, id, serial))
        return;
    id_ = id;
    // A stored 0 keeps the serial given at construction.
    if (serial != 0)
        serial_ = serial;
}

template <class Out>
void GObjectBase::WriteFields(Out& out) const
{
    const int32_t serial = SerialsOmittedDepth() ? 0 : serial_;
    GWriteFields(out, id_, serial);
}

void GObjectBase::RestoreGuts(RWDataInStream& stream)
{
    RWCollectable::RestoreGuts(stream);
    ReadFields(stream);
}

void GObjectBase::RestoreGuts(RWBinaryFile& file)
{
    RWCollectable::RestoreGuts(file);
    ReadFields(file);
}

void GObjectBase::SaveGuts(RWDataOutStream& stream) const
{
    RWCollectable::SaveGuts(stream);
    WriteFields(stream);
}

void GObjectBase::SaveGuts(RWBinaryFile& file) const
{
    RWCollectable::SaveGuts(file);
    WriteFields(file);
}

bool GObjectBase::IsKindOf(RWClassID classId) const { return classId == kClassId; }
bool GObjectBase::IsSame(const GObjectBase* other) const { return other && other->id_ == id_; }
bool GObjectBase::Differs(const GObjectBase* other) const { return !IsSame(other); }

void GObjectBase::Add(GObjectBase*) {}
void GObjectBase::Prepend(GObjectBase*) {}
GObjectBase* GObjectBase::Remove(const GObjectBase*) { return nullptr; }
GObjectBase* GObjectBase::RemoveById(const long&) { return nullptr; }
GObjectBase* GObjectBase::RemoveByClassId(const RWClassID&) { return nullptr; }
int GObjectBase::ReplaceById(const long&, const GObjectBase*) { return 0; }
int GObjectBase::ReplaceByClassId(const RWClassID&, const GObjectBase*) { return 0; }
int GObjectBase::Replace(const GObjectBase*, const GObjectBase*) { return 0; }
int GObjectBase::ReplaceKindOf(const RWClassID&, const GObjectBase*) { return 0; }

void GObjectBase::AddRecord(GObjectBase*) {}
void GObjectBase::RemoveRecord(GObjectBase*) {}
GCountedRef GObjectBase::FindRecordSame(const GObjectBase*) { return GCountedRef(); }
GCountedRef GObjectBase::FindRecordById(const long&) { return GCountedRef(); }
GCountedRef GObjectBase::FindRecordByClassId(const RWClassID&) { return GCountedRef(); }
int GObjectBase::ReplaceRecordById(const long&, const GObjectBase*) { return 0; }
int GObjectBase::ReplaceRecordByClassId(const RWClassID&, const GObjectBase*) { return 0; }

void GObjectBase::RemoveAll() {}

GObjectBase* GObjectBase::FindById(const long& id) { return FindSelf(this, GMemberKey::Id(id)); }
GObjectBase* GObjectBase::FindByClassId(const RWClassID& classId)
{
    return FindSelf(this, GMemberKey::ClassId(classId));
}
GObjectBase* GObjectBase::FindSame(const GObjectBase* object) { return FindSelf(this, GMemberKey::Same(object)); }
GObjectBase* GObjectBase::FindKindOf(const RWClassID& classId) { return FindSelf(this, GMemberKey::KindOf(classId)); }

GObjectBase* GObjectBase::CollectByClassId(const RWClassID& classId, GObjectBase* into)
{
    return CollectSelf(this, GMemberKey::ClassId(classId), into);
}

GObjectBase* GObjectBase::CollectById(const long& id, GObjectBase* into)
{
    return CollectSelf(this, GMemberKey::Id(id), into);
}

GObjectBase* GObjectBase::SelectById(const long& id) { return SelectSelf(this, GMemberKey::Id(id)); }
GObjectBase* GObjectBase::SelectByClassId(const RWClassID& classId)
{
    return SelectSelf(this, GMemberKey::ClassId(classId));
}

GObjectBase* GObjectBase::CollectKindOf(const RWClassID& classId, GObjectBase* into)
{
    return CollectSelf(this, GMemberKey::KindOf(classId), into);
}

GObjectBase* GObjectBase::SelectKindOf(const RWClassID& classId)
{
    return SelectSelf(this, GMemberKey::KindOf(classId));
}

GCountedRef GObjectBase::FindPtrById(const long& id) { return GCountedRef(FindSelf(this, GMemberKey::Id(id))); }

GCountedRef GObjectBase::FindPtrByClassId(const RWClassID& classId)
{
    return GCountedRef(FindSelf(this, GMemberKey::ClassId(classId)));
}

GCountedRef GObjectBase::FindPtrSame(const GObjectBase* object)
{
    return GCountedRef(FindSelf(this, GMemberKey::Same(object)));
}

GObjectBase* GObjectBase::AsComposite() { return nullptr; }
long GObjectBase::GetSerial() const { return serial_; }
uint32_t GObjectBase::Entries() const { return 1; }
uint32_t GObjectBase::TotalEntries() const { return 1; }
GObjectIterator* GObjectBase::CreateIterator() { return new (std::nothrow) GNullIterator; }
RWClassID GObjectBase::StorageClassId() const { return ClassId(); }

GObjectBase* GObjectBase::DeepCopy() const
{
    GObjectBase* self = const_cast<GObjectBase*>(this);
    if (!self->AsComposite())
        return Copy();
    GObjectBase* copy = CreateNew();
    if (!copy)
        return nullptr;
    copy->id_ = id_;
    if (GObjectIterator* it = self->CreateIterator()) {
        while (it->Next())
            if (GObjectBase* member = it->Current()) {
                // Held while it is added, so that a copy the composite does not take
                // (some composites ignore what their generic Add is given) is deleted.
                const GCountedRef memberCopy(member->DeepCopy());
                copy->Add(memberCopy.Get());
            }
        delete it;
    }
    return copy;
}

void GObjectBase::ClearSerials()
{
    serial_ = 0;
    if (!AsComposite())
        return;
    if (GObjectIterator* it = CreateIterator()) {
        while (it->Next())
            if (GObjectBase* member = it->Current())
                member->ClearSerials();
        delete it;
    }
}

void GObjectBase::TakeNextSerial() { serial_ = int32_t(NextSerial()); }

uint32_t GObjectBase::PeekNextSerial() { return g_nextSerial.load(std::memory_order_relaxed); }
void GObjectBase::SetNextSerial(uint32_t next) { g_nextSerial.store(next, std::memory_order_relaxed); }

void GObjectBase::AddReference() { RWRefCount::AddReference(references_); }
int32_t GObjectBase::RemoveReference() { return RWRefCount::RemoveReference(references_); }

void GObjectBase::Hold(GObjectBase* object)
{
    if (object)
        object->AddReference();
}

void GObjectBase::Release(GObjectBase* object)
{
    // An embedded object belongs to the object around it, never to its holders.
    if (object && object->RemoveReference() == 0 && !object->IsEmbedded())
        delete object;
}

GObjectBase* GObjectBase::HandOut(GObjectBase* held)
{
    if (!held)
        return nullptr;
    if (held->References() > 0) {
        // Others share it: they keep it, the caller gets a copy.
        GObjectBase* copy = held->Copy();
        Release(held);
        return copy;
    }
    held->RemoveReference();
    return held;
}

void GObjectBase::Drop(GObjectBase* object)
{
    GCountedRef hold(object);
}

GObjectBase* GObjectBase::RestoreHeld(RWBinaryFile& file, RWClassID kind)
{
    return RestoreHeldOf(file, kind);
}

GObjectBase* GObjectBase::RestoreHeld(RWDataInStream& stream, RWClassID kind)
{
    return RestoreHeldOf(stream, kind);
}

bool GObjectBase::RestoreStopped(RWBinaryFile& file) { return file.Eof() || file.Error() || ReadTableFailed(); }
bool GObjectBase::RestoreStopped(RWDataInStream& stream) { return !stream.Good() || ReadTableFailed(); }
