// The pen that draws nothing.
// It is applied through the peripheral's ApplyNoPen.
#pragma once

#include "graphics/GPen.h"

class GNoPen : public GStoredLevel<GNoPen, GPen, 202> {
public:
    GNoPen();
    explicit GNoPen(const long& id);
    GNoPen(const GNoPen& other) = default;
    GNoPen& operator=(const GNoPen& other) = default;
    ~GNoPen() override;

    GNoPen* CreateNew() const override { return new GNoPen; }
    GNoPen* Copy() const override { return new GNoPen(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 201; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
