#include "model/GOptMediaComposite.h"

#include "foundation/RWFactory.h"

namespace {

const RWFactoryRegistration kRegistration(RWCreateInstance<GOptMediaComposite>, GOptMediaComposite::kClassId, "GOptMediaComposite");

} // namespace

GOptMediaComposite::GOptMediaComposite() {}
GOptMediaComposite::GOptMediaComposite(uint16_t primary, uint16_t second) : GValueListAttribute(primary, second) {}
GOptMediaComposite::~GOptMediaComposite() {}

GOptMediaComposite* GOptMediaComposite::CreateNew() const { return new GOptMediaComposite; }
GOptMediaComposite* GOptMediaComposite::Copy() const { return new GOptMediaComposite(*this); }
RWClassID GOptMediaComposite::ClassId() const { return kClassId; }

bool GOptMediaComposite::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GValueListAttribute::IsKindOf(classId);
}

void GOptMediaComposite::AddValue(uint16_t value) { AppendValue(value); }
