// The pen that lines are drawn with; the head of the pen family.
// It is applied through the peripheral's ApplyPen.
#pragma once

#include "model/GGraphicAttribute.h"

class GPen : public GStoredLevel<GPen, GGraphicAttribute, 201> {
public:
    GPen();
    explicit GPen(const long& id);
    GPen(const GPen& other) = default;
    GPen& operator=(const GPen& other) = default;
    ~GPen() override;

    GPen* CreateNew() const override { return new GPen; }
    GPen* Copy() const override { return new GPen(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 201; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
