#include "graphics/GClipToRectangle.h"

#include "model/GAttributeVisitor.h"

GClipToRectangle::GClipToRectangle() {}
GClipToRectangle::GClipToRectangle(const long& id) : GStoredLevel(id) {}
GClipToRectangle::~GClipToRectangle() {}

int16_t GClipToRectangle::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyClipToRectangle(*this); }
