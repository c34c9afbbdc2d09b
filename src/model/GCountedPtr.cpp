#include "model/GCountedPtr.h"

#include "model/GObjectBase.h"

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

bool GCountedPtr::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || classId == GObjectBase::kClassId;
}

GObjectBase* GCountedPtr::CopyObject() const { return IsNull() ? nullptr : Get()->DeepCopy(); }
