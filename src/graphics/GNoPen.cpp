#include "graphics/GNoPen.h"

#include "model/GAttributeVisitor.h"

GNoPen::GNoPen() {}
GNoPen::GNoPen(const long& id) : GStoredLevel(id) {}
GNoPen::~GNoPen() {}

int16_t GNoPen::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyNoPen(*this); }
