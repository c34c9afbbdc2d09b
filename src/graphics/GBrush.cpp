#include "graphics/GBrush.h"

#include "model/GAttributeVisitor.h"

GBrush::GBrush() {}
GBrush::GBrush(const long& id) : GStoredLevel(id) {}
GBrush::~GBrush() {}

int16_t GBrush::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyBrush(*this); }
