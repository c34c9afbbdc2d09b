#include "model/GGraphicAttribute.h"

#include "model/GStoredFields.h"

GGraphicAttribute::GGraphicAttribute() {}
GGraphicAttribute::GGraphicAttribute(const long& id) : GAttribute(id) {}
GGraphicAttribute::~GGraphicAttribute() {}

uint32_t GGraphicAttribute::BinaryStoreSize() const { return GAttribute::BinaryStoreSize() + 4; }

void GGraphicAttribute::RestoreGuts(RWDataInStream& stream)
{
    GAttribute::RestoreGuts(stream);
    GReadFields(stream);
}

void GGraphicAttribute::RestoreGuts(RWBinaryFile& file)
{
    GAttribute::RestoreGuts(file);
    GReadFields(file);
}

void GGraphicAttribute::SaveGuts(RWDataOutStream& stream) const
{
    GAttribute::SaveGuts(stream);
    GWriteFields(stream);
}

void GGraphicAttribute::SaveGuts(RWBinaryFile& file) const
{
    GAttribute::SaveGuts(file);
    GWriteFields(file);
}

bool GGraphicAttribute::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GAttribute::IsKindOf(classId);
}
