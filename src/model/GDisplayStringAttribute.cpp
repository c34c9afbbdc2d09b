#include "model/GDisplayStringAttribute.h"

GDisplayStringAttribute::GDisplayStringAttribute() { display_.MarkEmbedded(); }

GDisplayStringAttribute::GDisplayStringAttribute(const long& id, uint16_t stringId, const char* text, const char* altText)
    : GAttribute(id), display_(stringId, text, altText)
{
    display_.MarkEmbedded();
}

GDisplayStringAttribute::GDisplayStringAttribute(uint16_t stringId, const char* text, const char* altText)
    : display_(stringId, text, altText)
{
    display_.MarkEmbedded();
}

GDisplayStringAttribute::GDisplayStringAttribute(const GDisplayStringAttribute& other)
    : GAttribute(other), display_(other.display_)
{
    display_.MarkEmbedded();
}

GDisplayStringAttribute::~GDisplayStringAttribute() {}

GDisplayStringAttribute* GDisplayStringAttribute::CreateNew() const { return new GDisplayStringAttribute; }
GDisplayStringAttribute* GDisplayStringAttribute::Copy() const { return new GDisplayStringAttribute(*this); }
RWClassID GDisplayStringAttribute::ClassId() const { return kClassId; }

bool GDisplayStringAttribute::IsKindOf(RWClassID classId) const
{
    return classId == kClassId || GAttribute::IsKindOf(classId);
}

bool GDisplayStringAttribute::IsSame(const GObjectBase* other) const
{
    const GDisplayStringAttribute* attribute = GSameClass<GDisplayStringAttribute>(this, other);
    return attribute && attribute->GetId() == GetId() && display_.IsSame(&attribute->display_);
}

RWClassID GDisplayStringAttribute::StorageClassId() const { return kClassId; }
int16_t GDisplayStringAttribute::ApplyTo(GPeripheral&) { return 0; }
