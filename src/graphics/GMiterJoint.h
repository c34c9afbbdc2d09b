// Mitred line joins, cut at a limit.
// It is applied through the peripheral's ApplyMiterJoint.
#pragma once

#include "graphics/GJoint.h"

class GMiterJoint : public GPersistent<GMiterJoint, GJoint, 352> {
public:
    static constexpr const char* kClassName = "GMiterJoint";
    GMiterJoint* CreateNew() const override { return new GMiterJoint; }
    GMiterJoint* Copy() const override { return new GMiterJoint(*this); }

    // Join 0, limit 0.
    GMiterJoint();
    // Join 0 and the limit.
    GMiterJoint(float limit, const long& id);
    GMiterJoint(const GMiterJoint& other) = default;
    GMiterJoint& operator=(const GMiterJoint& other) = default;
    ~GMiterJoint() override;

    // The join comparison and equal limits.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    float GetMiterLimit() const { return limit_; }

    auto StoredForm() { return GFields(limit_); }

private:
    float limit_;
};
