// The brush that areas are filled with; the head of the brush family.
// It is applied through the peripheral's ApplyBrush.
#pragma once

#include "model/GGraphicAttribute.h"

class GBrush : public GStoredLevel<GBrush, GGraphicAttribute, 251> {
public:
    GBrush();
    explicit GBrush(const long& id);
    GBrush(const GBrush& other) = default;
    GBrush& operator=(const GBrush& other) = default;
    ~GBrush() override;

    GBrush* CreateNew() const override { return new GBrush; }
    GBrush* Copy() const override { return new GBrush(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 251; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
