#include "model/MPersistentComposite.h"

MPersistentComposite::MPersistentComposite() {}
MPersistentComposite::MPersistentComposite(const long& id) : GPersistent(id) {}
MPersistentComposite::MPersistentComposite(const MPersistentComposite& other) : GPersistent(other) {}

MPersistentComposite& MPersistentComposite::operator=(const MPersistentComposite& other)
{
    GCompositeOf::operator=(other);
    return *this;
}

MPersistentComposite::~MPersistentComposite() {}

void MPersistentComposite::Add(GObjectBase* object)
{
    if (object && members_.Entries() >= kMaxMembers && object != this)
        GObjectBase::Drop(object);
    else
        Adopt(object);
}

void MPersistentComposite::Prepend(GObjectBase* object) { Adopt(object, true); }
