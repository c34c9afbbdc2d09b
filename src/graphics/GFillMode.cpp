#include "graphics/GFillMode.h"

#include "model/GAttributeVisitor.h"

GFillMode::GFillMode() {}
GFillMode::GFillMode(const long& id) : GStoredLevel(id) {}
GFillMode::~GFillMode() {}

int16_t GFillMode::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyFillMode(*this); }
