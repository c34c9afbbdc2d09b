#include "graphics/GNoPen.h"

#include "model/GAttributeVisitor.h"

GNoPen::GNoPen() : GPersistent(0, nullptr) {}
GNoPen::GNoPen(const long& id) : GPersistent(1, nullptr, id) {}
GNoPen::~GNoPen() {}

bool GNoPen::IsSame(const GObjectBase* other) const { return GPen::IsSame(other) && !GetPaint(); }

int16_t GNoPen::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyNoPen(*this); }
