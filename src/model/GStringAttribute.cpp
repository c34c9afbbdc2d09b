#include "model/GStringAttribute.h"

#include "model/GAttributeVisitor.h"

GStringAttribute::GStringAttribute() {}
GStringAttribute::GStringAttribute(const char* text, const long& id) : GPersistent(id), string_(text) {}
GStringAttribute::GStringAttribute(const RWCString& text, const long& id) : GPersistent(id), string_(text) {}
GStringAttribute::~GStringAttribute() {}

int16_t GStringAttribute::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyString(*this); }
