#include "graphics/GCap.h"

#include "model/GAttributeVisitor.h"

GCap::GCap() {}
GCap::GCap(const long& id) : GStoredLevel(id) {}
GCap::~GCap() {}

int16_t GCap::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyCap(*this); }
