#include "graphics/GMiterJoint.h"

#include "model/GAttributeVisitor.h"

GMiterJoint::GMiterJoint() {}
GMiterJoint::GMiterJoint(const long& id) : GStoredLevel(id) {}
GMiterJoint::~GMiterJoint() {}

int16_t GMiterJoint::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyMiterJoint(*this); }
