#include "graphics/GClipToSingleRectangle.h"

#include "model/GAttributeVisitor.h"

GClipToSingleRectangle::GClipToSingleRectangle() : rectangle_{0, 0, 0, 0} {}

GClipToSingleRectangle::GClipToSingleRectangle(const GRect& rectangle, uint32_t operation, uint32_t mode,
                                               const long& id)
    : GPersistent(operation, mode, id), rectangle_(rectangle)
{
}

GClipToSingleRectangle::~GClipToSingleRectangle() {}

int16_t GClipToSingleRectangle::ApplyTo(GAttributeVisitor& visitor)
{
    return visitor.ApplyClipToSingleRectangle(*this);
}

bool GClipToSingleRectangle::GetBounds(GRect& bounds) const
{
    bounds = rectangle_;
    return true;
}
