#include "graphics/GNoBrush.h"

#include "model/GAttributeVisitor.h"

GNoBrush::GNoBrush() {}
GNoBrush::GNoBrush(const long& id) : GStoredLevel(id) {}
GNoBrush::~GNoBrush() {}

int16_t GNoBrush::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyNoBrush(*this); }
