#include "graphics/GMiterJoint.h"

#include "model/GAttributeVisitor.h"

GMiterJoint::GMiterJoint() : limit_(0.0f) { SetJoint(0); }
GMiterJoint::GMiterJoint(float limit, const long& id) : GPersistent(1, id), limit_(limit) { SetJoint(0); }
GMiterJoint::~GMiterJoint() {}

bool GMiterJoint::IsSame(const GObjectBase* other) const
{
    return GJoint::IsSame(other) && static_cast<const GMiterJoint*>(other)->limit_ == limit_;
}

int16_t GMiterJoint::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyMiterJoint(*this); }
