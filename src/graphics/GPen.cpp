#include "graphics/GPen.h"

#include "model/GAttributeVisitor.h"

GPen::GPen() {}
GPen::GPen(const long& id) : GStoredLevel(id) {}
GPen::~GPen() {}

int16_t GPen::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyPen(*this); }
