#include "graphics/GDashedPen.h"

#include "model/GAttributeVisitor.h"

GDashedPen::GDashedPen() {}
GDashedPen::GDashedPen(const long& id) : GStoredLevel(id) {}
GDashedPen::~GDashedPen() {}

int16_t GDashedPen::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyDashedPen(*this); }
