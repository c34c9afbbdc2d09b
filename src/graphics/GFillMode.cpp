#include "graphics/GFillMode.h"

#include "model/GAttributeVisitor.h"

GFillMode::GFillMode() : mode_(2) {}
GFillMode::GFillMode(uint32_t mode, const long& id) : GPersistent(id), mode_(mode) {}
GFillMode::~GFillMode() {}

int16_t GFillMode::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyFillMode(*this); }
