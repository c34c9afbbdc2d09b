#include "model/GValueAttribute.h"

#include "model/GAttributeVisitor.h"

GValueAttribute::GValueAttribute() : value_(0) {}
GValueAttribute::GValueAttribute(uint16_t value, const long& id) : GPersistent(id), value_(value) {}
GValueAttribute::~GValueAttribute() {}

int16_t GValueAttribute::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyValue(*this); }
