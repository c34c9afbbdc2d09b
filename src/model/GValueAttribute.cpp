#include "model/GValueAttribute.h"

#include "model/GAttributeVisitor.h"

GValueAttribute::GValueAttribute() : value_(0) {}
GValueAttribute::GValueAttribute(uint16_t value, const long& id) : GPersistent(id), value_(value) {}
GValueAttribute::~GValueAttribute() {}

bool GValueAttribute::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GValueAttribute* value = GSameClass<GValueAttribute>(this, other);
    return value && value->GetId() == GetId() && value->value_ == value_;
}

int16_t GValueAttribute::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyValue(*this); }
