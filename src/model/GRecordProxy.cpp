#include "model/GRecordProxy.h"

#include "foundation/RWFactory.h"
#include "model/GObjectBase.h"
#include "model/GStoredFields.h"
#include "model/MPersistentCompositeOnDiskImp.h"

namespace {

RWCollectable* CreateProxy() { return new GRecordProxy; }
const RWFactoryRegistration g_registration(&CreateProxy, GRecordProxy::kClassId, "GRecordProxy",
                                           &RWKindOfClass<GRecordProxy>);

} // namespace

GRecordProxy::GRecordProxy() {}

GRecordProxy::GRecordProxy(const GObjectBase& object) : GRecord(object), held_(object.Copy()) {}

RWClassID GRecordProxy::ClassId() const { return kClassId; }

uint32_t GRecordProxy::BinaryStoreSize() const
{
    const RWCollectable* held = held_.Get();
    return GRecord::BinaryStoreSize() + 4 + (held ? held : &RWNilObject)->RecursiveStoreSize();
}

template <class In>
void GRecordProxy::ReadFields(In& in)
{
    uint32_t version = 0;
    if (!GReadField(in, version) || version != kGStoredVersion)
        return;
    held_.Set(GObjectBase::RestoreHeld(in));
}

void GRecordProxy::RestoreGuts(RWDataInStream& stream)
{
    GRecord::RestoreGuts(stream);
    ReadFields(stream);
}

void GRecordProxy::RestoreGuts(RWBinaryFile& file)
{
    GRecord::RestoreGuts(file);
    ReadFields(file);
}

void GRecordProxy::SaveGuts(RWDataOutStream& stream) const
{
    GRecord::SaveGuts(stream);
    GWriteField(stream, kGStoredVersion);
    stream << static_cast<const RWCollectable*>(held_.Get());
}

void GRecordProxy::SaveGuts(RWBinaryFile& file) const
{
    GRecord::SaveGuts(file);
    GWriteField(file, kGStoredVersion);
    file << static_cast<const RWCollectable*>(held_.Get());
}

int GRecordProxy::Replace(const GRecordKey& key, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store)
{
    GObjectBase* held = held_.Get();
    if (!held || store.Forwards(*held) == 0)
        return 0;
    switch (key.kind) {
    case GRecordKey::ByClassId:
        return held->ReplaceRecordByClassId(key.classId, newObject);
    case GRecordKey::ById:
        return held->ReplaceRecordById(key.id, newObject);
    case GRecordKey::BySame:
        break;
    }
    return 0;
}

GCountedRef GRecordProxy::SearchBelow(const GRecordKey& key, bool take, MPersistentCompositeOnDiskImp& store)
{
    GObjectBase* held = held_.Get();
    if (!held || store.Forwards(*held) == 0)
        return GCountedRef();
    switch (key.kind) {
    case GRecordKey::ByClassId:
        return take ? held->FindRecordByClassId(key.classId) : held->FindPtrByClassId(key.classId);
    case GRecordKey::ById:
        return take ? held->FindRecordById(key.id) : held->FindPtrById(key.id);
    case GRecordKey::BySame:
        return take ? held->FindRecordSame(key.object) : held->FindPtrSame(key.object);
    }
    return GCountedRef();
}
