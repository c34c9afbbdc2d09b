#include "model/GValue32Attribute.h"

GValue32Attribute::GValue32Attribute() : value_(0) {}
GValue32Attribute::GValue32Attribute(uint32_t value, const long& id) : GPersistent(id), value_(value) {}
GValue32Attribute::~GValue32Attribute() {}

bool GValue32Attribute::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GValue32Attribute* value = GSameClass<GValue32Attribute>(this, other);
    return value && value->GetId() == GetId() && value->value_ == value_;
}

int16_t GValue32Attribute::ApplyTo(GAttributeVisitor&) { return 0; }
