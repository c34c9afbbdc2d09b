#include "graphics/GFillMode.h"

#include "model/GAttributeVisitor.h"

GFillMode::GFillMode() : mode_(2) {}
GFillMode::GFillMode(uint32_t mode, const long& id) : GPersistent(id), mode_(mode) {}
GFillMode::~GFillMode() {}

bool GFillMode::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GFillMode* mode = GSameClass<GFillMode>(this, other);
    return mode && GObjectBase::IsSame(other) && mode->mode_ == mode_;
}

int16_t GFillMode::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyFillMode(*this); }
