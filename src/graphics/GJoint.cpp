#include "graphics/GJoint.h"

#include "model/GAttributeVisitor.h"

GJoint::GJoint() : join_(3) {}
GJoint::GJoint(uint32_t join, const long& id) : GPersistent(id), join_(join == 0 ? 3 : join) {}
GJoint::~GJoint() {}

int16_t GJoint::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyJoint(*this); }
