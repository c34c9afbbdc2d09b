// The rotation, origin and scale of the page coordinate system. Peripherals find it by
// its class id in the graphic state.
// It is applied through the peripheral's ApplyTransform.
#pragma once

#include "model/GAttribute.h"

class GTransformAttribute : public GStoredLevel<GTransformAttribute, GAttribute, 103> {
public:
    GTransformAttribute();
    explicit GTransformAttribute(const long& id);
    GTransformAttribute(const GTransformAttribute& other) = default;
    GTransformAttribute& operator=(const GTransformAttribute& other) = default;
    ~GTransformAttribute() override;

    GTransformAttribute* CreateNew() const override { return new GTransformAttribute; }
    GTransformAttribute* Copy() const override { return new GTransformAttribute(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 103; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
