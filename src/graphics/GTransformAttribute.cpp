#include "graphics/GTransformAttribute.h"

#include "model/GAttributeVisitor.h"

GTransformAttribute::GTransformAttribute() {}
GTransformAttribute::GTransformAttribute(const long& id) : GStoredLevel(id) {}
GTransformAttribute::~GTransformAttribute() {}

int16_t GTransformAttribute::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyTransform(*this); }
