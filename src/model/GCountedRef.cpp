#include "model/GCountedRef.h"

#include "model/GObjectBase.h"

GCountedRef::GCountedRef(GObjectBase* object) : object_(object) { GObjectBase::Hold(object_); }

GCountedRef::GCountedRef(const GCountedRef& other) : object_(other.object_) { GObjectBase::Hold(object_); }

GCountedRef& GCountedRef::operator=(const GCountedRef& other)
{
    Set(other.object_);
    return *this;
}

GCountedRef& GCountedRef::operator=(GCountedRef&& other) noexcept
{
    if (this != &other) {
        GObjectBase* old = object_;
        object_ = other.object_;
        other.object_ = nullptr;
        GObjectBase::Release(old);
    }
    return *this;
}

GCountedRef::~GCountedRef() { GObjectBase::Release(object_); }

void GCountedRef::Set(GObjectBase* object)
{
    if (object == object_)
        return;
    GObjectBase::Hold(object);
    GObjectBase* old = object_;
    object_ = object;
    GObjectBase::Release(old);
}

GObjectBase* GCountedRef::Detach()
{
    GObjectBase* object = object_;
    object_ = nullptr;
    return object;
}
