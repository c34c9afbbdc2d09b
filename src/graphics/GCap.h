// The style of line ends.
// It is applied through the peripheral's ApplyCap.
#pragma once

#include "model/GGraphicAttribute.h"

class GCap : public GStoredLevel<GCap, GGraphicAttribute, 301> {
public:
    GCap();
    explicit GCap(const long& id);
    GCap(const GCap& other) = default;
    GCap& operator=(const GCap& other) = default;
    ~GCap() override;

    GCap* CreateNew() const override { return new GCap; }
    GCap* Copy() const override { return new GCap(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 301; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
