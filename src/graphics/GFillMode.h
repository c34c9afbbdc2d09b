// The rule that decides which areas of a path are inside.
// It is applied through the peripheral's ApplyFillMode.
#pragma once

#include "model/GGraphicAttribute.h"

class GFillMode : public GStoredLevel<GFillMode, GGraphicAttribute, 102> {
public:
    GFillMode();
    explicit GFillMode(const long& id);
    GFillMode(const GFillMode& other) = default;
    GFillMode& operator=(const GFillMode& other) = default;
    ~GFillMode() override;

    GFillMode* CreateNew() const override { return new GFillMode; }
    GFillMode* Copy() const override { return new GFillMode(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 102; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
