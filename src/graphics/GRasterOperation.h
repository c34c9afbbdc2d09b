// How drawn pixels combine with those already on the page.
// It is applied through the peripheral's ApplyRasterOperation.
#pragma once

#include "model/GGraphicAttribute.h"

class GRasterOperation : public GStoredLevel<GRasterOperation, GGraphicAttribute, 401> {
public:
    GRasterOperation();
    explicit GRasterOperation(const long& id);
    GRasterOperation(const GRasterOperation& other) = default;
    GRasterOperation& operator=(const GRasterOperation& other) = default;
    ~GRasterOperation() override;

    GRasterOperation* CreateNew() const override { return new GRasterOperation; }
    GRasterOperation* Copy() const override { return new GRasterOperation(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 401; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
