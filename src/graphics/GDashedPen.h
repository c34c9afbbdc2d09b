// A pen that draws dashes.
// It is applied through the peripheral's ApplyDashedPen.
#pragma once

#include "graphics/GPen.h"

class GDashedPen : public GStoredLevel<GDashedPen, GPen, 203> {
public:
    GDashedPen();
    explicit GDashedPen(const long& id);
    GDashedPen(const GDashedPen& other) = default;
    GDashedPen& operator=(const GDashedPen& other) = default;
    ~GDashedPen() override;

    GDashedPen* CreateNew() const override { return new GDashedPen; }
    GDashedPen* Copy() const override { return new GDashedPen(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 201; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
