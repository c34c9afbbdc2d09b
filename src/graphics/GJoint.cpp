#include "graphics/GJoint.h"

#include "model/GAttributeVisitor.h"

GJoint::GJoint() {}
GJoint::GJoint(const long& id) : GStoredLevel(id) {}
GJoint::~GJoint() {}

int16_t GJoint::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyJoint(*this); }
