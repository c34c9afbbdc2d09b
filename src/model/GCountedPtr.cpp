#include "model/GCountedPtr.h"

#include "foundation/RWFactory.h"
#include "model/GObjectBase.h"

namespace {

// Registered so that the class is known by id and name; it never makes an object.
RWCollectable* CreateNothing() { return nullptr; }
const RWFactoryRegistration g_registration(CreateNothing, GCountedPtr::kClassId, "GCountedPtr",
                                           &RWKindOfClass<GCountedPtr>);

} // namespace

bool GCountedPtr::KindOfClass(RWClassID kind)
{
    return kind == kClassId || kind == GObjectBase::kClassId || RWCollectable::KindOfClass(kind);
}

GCountedPtr& GCountedPtr::operator=(const GCountedPtr& other)
{
    ref_ = other.ref_;
    return *this;
}

GCountedPtr& GCountedPtr::operator=(GObjectBase* object)
{
    ref_.Set(object);
    return *this;
}

GCountedPtr::~GCountedPtr() {}

RWCollectable* GCountedPtr::CreateNew() const { return nullptr; }
RWCollectable* GCountedPtr::Copy() const { return nullptr; }
RWClassID GCountedPtr::ClassId() const { return kClassId; }

uint32_t GCountedPtr::BinaryStoreSize() const
{
    const RWCollectable* held = Get();
    return RWCollectable::BinaryStoreSize() + (held ? held : &RWNilObject)->RecursiveStoreSize();
}

template <class In>
void GCountedPtr::RestoreObject(In& in)
{
    RWCollectable::RestoreGuts(in);
    GObjectBase* object = GObjectBase::RestoreHeld(in);
    if (object || !GObjectBase::RestoreStopped(in))
        ref_.Set(object);
}

void GCountedPtr::RestoreGuts(RWDataInStream& stream) { RestoreObject(stream); }
void GCountedPtr::RestoreGuts(RWBinaryFile& file) { RestoreObject(file); }

void GCountedPtr::SaveGuts(RWDataOutStream& stream) const
{
    RWCollectable::SaveGuts(stream);
    stream << static_cast<const RWCollectable*>(Get());
}

void GCountedPtr::SaveGuts(RWBinaryFile& file) const
{
    RWCollectable::SaveGuts(file);
    file << static_cast<const RWCollectable*>(Get());
}

bool GCountedPtr::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || classId == GObjectBase::kClassId;
}

GObjectBase* GCountedPtr::CopyObject() const { return IsNull() ? nullptr : Get()->DeepCopy(); }
