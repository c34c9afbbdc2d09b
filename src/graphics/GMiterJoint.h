// Mitred line joins, cut at a limit.
// It is applied through the peripheral's ApplyMiterJoint.
#pragma once

#include "graphics/GJoint.h"

class GMiterJoint : public GStoredLevel<GMiterJoint, GJoint, 352> {
public:
    GMiterJoint();
    explicit GMiterJoint(const long& id);
    GMiterJoint(const GMiterJoint& other) = default;
    GMiterJoint& operator=(const GMiterJoint& other) = default;
    ~GMiterJoint() override;

    GMiterJoint* CreateNew() const override { return new GMiterJoint; }
    GMiterJoint* Copy() const override { return new GMiterJoint(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 351; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
