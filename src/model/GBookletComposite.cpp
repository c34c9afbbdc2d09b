#include "model/GBookletComposite.h"

#include "foundation/RWFactory.h"

namespace {

const RWFactoryRegistration kRegistration(RWCreateInstance<GBookletComposite>, GBookletComposite::kClassId, "GBookletComposite");

} // namespace

GBookletComposite::GBookletComposite() {}
GBookletComposite::GBookletComposite(uint16_t primary, uint16_t second) : GValueListAttribute(primary, second) {}
GBookletComposite::~GBookletComposite() {}

GBookletComposite* GBookletComposite::CreateNew() const { return new GBookletComposite; }
GBookletComposite* GBookletComposite::Copy() const { return new GBookletComposite(*this); }
RWClassID GBookletComposite::ClassId() const { return kClassId; }

bool GBookletComposite::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GValueListAttribute::IsKindOf(classId);
}

void GBookletComposite::AddPair(uint16_t a, uint16_t b)
{
    if (AppendValue(a))
        AppendValue(b);
}
