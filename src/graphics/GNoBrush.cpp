#include "graphics/GNoBrush.h"

#include "model/GAttributeVisitor.h"

GNoBrush::GNoBrush() {}
GNoBrush::GNoBrush(const long& id) : GPersistent(nullptr, id) {}
GNoBrush::~GNoBrush() {}

bool GNoBrush::IsSame(const GObjectBase* other) const
{
    return other == this || (GSameClass<GNoBrush>(this, other) && GObjectBase::IsSame(other));
}

int16_t GNoBrush::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyNoBrush(*this); }
