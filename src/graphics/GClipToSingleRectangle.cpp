#include "graphics/GClipToSingleRectangle.h"

#include "model/GAttributeVisitor.h"

GClipToSingleRectangle::GClipToSingleRectangle() {}
GClipToSingleRectangle::GClipToSingleRectangle(const long& id) : GStoredLevel(id) {}
GClipToSingleRectangle::~GClipToSingleRectangle() {}

int16_t GClipToSingleRectangle::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyClipToSingleRectangle(*this); }
