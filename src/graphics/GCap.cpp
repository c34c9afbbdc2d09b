#include "graphics/GCap.h"

#include "model/GAttributeVisitor.h"

GCap::GCap() : cap_(1) {}
GCap::GCap(uint32_t cap, const long& id) : GPersistent(id), cap_(cap) {}
GCap::~GCap() {}

bool GCap::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GCap* cap = GSameClass<GCap>(this, other);
    return cap && GObjectBase::IsSame(other) && cap->cap_ == cap_;
}

int16_t GCap::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyCap(*this); }
