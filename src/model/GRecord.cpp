#include "model/GRecord.h"

#include "foundation/RWFactory.h"
#include "model/GObjectBase.h"
#include "model/GStoredFields.h"
#include "model/MPersistentCompositeOnDiskImp.h"

#include <cstdio>

namespace {

RWCollectable* CreateRecord() { return new GRecord; }
const RWFactoryRegistration g_registration(&CreateRecord, GRecord::kClassId, "GRecord",
                                           &RWKindOfClass<GRecord>);

} // namespace

GRecordRef::GRecordRef(GRecord* record) : record_(record)
{
    if (record_)
        record_->AddReference();
}

GRecordRef::GRecordRef(const GRecordRef& other) : GRecordRef(other.record_) {}

GRecordRef& GRecordRef::operator=(const GRecordRef& other)
{
    Set(other.record_);
    return *this;
}

GRecordRef::~GRecordRef() { Set(nullptr); }

void GRecordRef::Set(GRecord* record)
{
    if (record)
        record->AddReference();
    GRecord* old = record_;
    record_ = record;
    if (old && old->RemoveReference() == 0)
        delete old;
}

bool GRecordKey::Matches(const GRecord& record) const
{
    switch (kind) {
    case ByClassId:
        return record.GetClassId() == classId;
    case ById:
        return record.GetId() == id;
    case BySame:
        return object && record.GetSerial() == object->GetSerial();
    }
    return false;
}

GRecord::GRecord() : references_(-1), classId_(0), serial_(0), id_(0) {}

GRecord::GRecord(const GObjectBase& object)
    : references_(-1), classId_(object.ClassId()), serial_(object.GetSerial()), id_(object.GetId())
{
}

GRecord::GRecord(const GRecord& other)
    : RWCollectable(other), references_(-1), classId_(other.classId_), serial_(other.serial_), id_(other.id_)
{
}

GRecord& GRecord::operator=(const GRecord& other)
{
    classId_ = other.classId_;
    serial_ = other.serial_;
    id_ = other.id_;
    return *this;
}

GRecord::~GRecord() {}

RWClassID GRecord::ClassId() const { return kClassId; }

uint32_t GRecord::BinaryStoreSize() const { return RWCollectable::BinaryStoreSize() + 14; }

template <class In>
void GRecord::ReadFields(In& in)
{
    uint16_t classId = 0;
    int32_t serial = 0;
    int32_t id = 0;
    if (!GReadFields(in, classId, serial, id))
        return;
    classId_ = classId;
    serial_ = serial;
    id_ = id;
}

template <class Out>
void GRecord::WriteFields(Out& out) const
{
    GWriteFields(out, uint16_t(classId_), serial_, id_);
}

void GRecord::RestoreGuts(RWDataInStream& stream)
{
    RWCollectable::RestoreGuts(stream);
    ReadFields(stream);
}

void GRecord::RestoreGuts(RWBinaryFile& file)
{
    RWCollectable::RestoreGuts(file);
    ReadFields(file);
}

void GRecord::SaveGuts(RWDataOutStream& stream) const
{
    RWCollectable::SaveGuts(stream);
    WriteFields(stream);
}

void GRecord::SaveGuts(RWBinaryFile& file) const
{
    RWCollectable::SaveGuts(file);
    WriteFields(file);
}

GRecordComposite* GRecord::AsRecordComposite() { return nullptr; }
void GRecord::AddMember(GRecord*) {}

GCountedRef GRecord::TakeByClassId(const RWClassID& classId, MPersistentCompositeOnDiskImp& store)
{
    return Search(GRecordKey::ClassId(classId), true, store);
}

GCountedRef GRecord::TakeById(const long& id, MPersistentCompositeOnDiskImp& store)
{
    return Search(GRecordKey::Id(id), true, store);
}

GCountedRef GRecord::TakeSame(const GObjectBase* object, MPersistentCompositeOnDiskImp& store)
{
    return Search(GRecordKey::Same(object), true, store);
}

int GRecord::ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject,
                              MPersistentCompositeOnDiskImp& store)
{
    return Replace(GRecordKey::ClassId(classId), newObject, store);
}

int GRecord::ReplaceById(const long& id, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store)
{
    return Replace(GRecordKey::Id(id), newObject, store);
}

int GRecord::ReplaceSame(const GObjectBase* object, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store)
{
    return Replace(GRecordKey::Same(object), newObject, store);
}

GCountedRef GRecord::PeekByClassId(const RWClassID& classId, MPersistentCompositeOnDiskImp& store)
{
    return Search(GRecordKey::ClassId(classId), false, store);
}

GCountedRef GRecord::PeekById(const long& id, MPersistentCompositeOnDiskImp& store)
{
    return Search(GRecordKey::Id(id), false, store);
}

GCountedRef GRecord::PeekSame(const GObjectBase* object, MPersistentCompositeOnDiskImp& store)
{
    return Search(GRecordKey::Same(object), false, store);
}

uint32_t GRecord::LeafCount() const { return 1; }

GCountedRef GRecord::Search(const GRecordKey& key, bool take, MPersistentCompositeOnDiskImp& store)
{
    if (key.Matches(*this)) {
        GCountedRef found = store.ReadObject(*this, take);
        if (found)
            return found;
    }
    return SearchBelow(key, take, store);
}

int GRecord::Replace(const GRecordKey& key, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store)
{
    return 0;
}

GCountedRef GRecord::SearchBelow(const GRecordKey&, bool, MPersistentCompositeOnDiskImp&) { return GCountedRef(); }

void GRecord::Key(char (&key)[9]) const
{
    std::snprintf(key, sizeof key, "%lx", static_cast<unsigned long>(uint32_t(serial_)));
}

bool GIsHoldableRecord(const RWCollectable* object)
{
    return dynamic_cast<const GRecord*>(object) && !RWCollectable::IsBeingRestored(object) &&
           !RWCollectable::IsRestoredInPlace(object);
}
