#include "graphics/GCap.h"

#include "model/GAttributeVisitor.h"

GCap::GCap() : cap_(1) {}
GCap::GCap(uint32_t cap, const long& id) : GPersistent(id), cap_(cap) {}
GCap::~GCap() {}

int16_t GCap::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyCap(*this); }
