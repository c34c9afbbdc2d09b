// The style of line joins; the head of the join family.
// It is applied through the peripheral's ApplyJoint.
#pragma once

#include "model/GGraphicAttribute.h"

class GJoint : public GStoredLevel<GJoint, GGraphicAttribute, 351> {
public:
    GJoint();
    explicit GJoint(const long& id);
    GJoint(const GJoint& other) = default;
    GJoint& operator=(const GJoint& other) = default;
    ~GJoint() override;

    GJoint* CreateNew() const override { return new GJoint; }
    GJoint* Copy() const override { return new GJoint(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 351; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
