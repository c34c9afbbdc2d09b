#include "graphics/GMiterJoint.h"

#include "model/GAttributeVisitor.h"

GMiterJoint::GMiterJoint() : limit_(0.0f) { SetJoint(0); }
GMiterJoint::GMiterJoint(float limit, const long& id) : GPersistent(1, id), limit_(limit) { SetJoint(0); }
GMiterJoint::~GMiterJoint() {}

int16_t GMiterJoint::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyMiterJoint(*this); }
