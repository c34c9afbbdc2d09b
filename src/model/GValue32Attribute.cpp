#include "model/GValue32Attribute.h"

GValue32Attribute::GValue32Attribute() : value_(0) {}
GValue32Attribute::GValue32Attribute(uint32_t value, const long& id) : GPersistent(id), value_(value) {}
GValue32Attribute::~GValue32Attribute() {}

int16_t GValue32Attribute::ApplyTo(GAttributeVisitor&) { return 0; }
