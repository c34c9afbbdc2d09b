#include "model/MPersistentComposite.h"

#include "foundation/RWFactory.h"

namespace {

const RWClassRegistration<MPersistentComposite> g_registration("MPersistentComposite");

} // namespace

MPersistentComposite::MPersistentComposite() {}
MPersistentComposite::MPersistentComposite(const long& id) : GCompositeOf(id) {}
MPersistentComposite::MPersistentComposite(const MPersistentComposite& other) : GCompositeOf(other) {}

MPersistentComposite& MPersistentComposite::operator=(const MPersistentComposite& other)
{
    GCompositeOf::operator=(other);
    return *this;
}

MPersistentComposite::~MPersistentComposite() {}

MPersistentComposite* MPersistentComposite::CreateNew() const { return new MPersistentComposite; }
MPersistentComposite* MPersistentComposite::Copy() const { return new MPersistentComposite(*this); }
RWClassID MPersistentComposite::ClassId() const { return kClassId; }

bool MPersistentComposite::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GCompositeOf::IsKindOf(classId);
}

void MPersistentComposite::Add(GObjectBase* object)
{
    if (object && members_.Entries() >= kMaxMembers && object != this)
        GObjectBase::Drop(object);
    else
        Adopt(object);
}

void MPersistentComposite::Prepend(GObjectBase* object) { Adopt(object, true); }
