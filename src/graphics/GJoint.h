// The style of line joins; what the codes mean is the writers'. The head of the join
// family, which the settings serializer stores under its id.
// It is applied through the peripheral's ApplyJoint.
#pragma once

#include "model/GGraphicAttribute.h"

class GJoint : public GPersistent<GJoint, GGraphicAttribute, 351, true> {
public:
    static constexpr const char* kClassName = "GJoint";
    GJoint* CreateNew() const override { return new GJoint; }
    GJoint* Copy() const override { return new GJoint(*this); }

    // Join 3.
    GJoint();
    // A join of 0 is held as 3.
    GJoint(uint32_t join, const long& id);
    GJoint(const GJoint& other) = default;
    GJoint& operator=(const GJoint& other) = default;
    ~GJoint() override;

    // The same object, or the same class and id and the same join.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    void SetJoint(uint32_t join) { join_ = join; }
    uint32_t GetJoint() const { return join_; }

    auto StoredForm() { return GFields(join_); }

private:
    uint32_t join_;
};
