#include "graphics/GTransformAttribute.h"

#include "model/GAttributeVisitor.h"

GTransformAttribute::GTransformAttribute() : GTransformAttribute(0, 0, 0, 1.0f, 1.0f) {}

GTransformAttribute::GTransformAttribute(const long& id)
    : GPersistent(id), rotation_(0), originX_(0), originY_(0), scaleX_(1.0f), scaleY_(1.0f)
{
}

GTransformAttribute::GTransformAttribute(uint16_t rotation, int16_t originX, int16_t originY, float scaleX,
                                         float scaleY)
    : rotation_(rotation), originX_(originX), originY_(originY), scaleX_(scaleX), scaleY_(scaleY)
{
}

GTransformAttribute::~GTransformAttribute() {}

int16_t GTransformAttribute::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyTransform(*this); }

GTransformAttribute* GTransformAttribute::Concatenate(const GTransformAttribute& a, const GTransformAttribute& b)
{
    // The products are taken in double precision and truncated toward zero; the sums wrap.
    const int32_t dx = int32_t(double(b.originX_) * double(a.scaleX_));
    const int32_t dy = int32_t(double(b.originY_) * double(a.scaleY_));
    return new GTransformAttribute(uint16_t(a.rotation_ + b.rotation_), int16_t(uint16_t(a.originX_ + dx)),
                                   int16_t(uint16_t(a.originY_ + dy)), b.scaleX_ * a.scaleX_,
                                   b.scaleY_ * a.scaleY_);
}
