#include "model/GGraphicAttribute.h"

#include "foundation/RWBinaryFile.h"

GGraphicAttribute::GGraphicAttribute() {}
GGraphicAttribute::GGraphicAttribute(const long& id) : GAttribute(id) {}
GGraphicAttribute::~GGraphicAttribute() {}

uint32_t GGraphicAttribute::BinaryStoreSize() const { return GAttribute::BinaryStoreSize() + 4; }

void GGraphicAttribute::RestoreGuts(RWBinaryFile& file)
{
    GAttribute::RestoreGuts(file);
    ReadVersion(file);
}

void GGraphicAttribute::SaveGuts(RWBinaryFile& file) const
{
    GAttribute::SaveGuts(file);
    WriteVersion(file);
}

bool GGraphicAttribute::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GAttribute::IsKindOf(classId);
}
