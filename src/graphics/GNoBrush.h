// The brush that fills nothing.
// It is applied through the peripheral's ApplyNoBrush.
#pragma once

#include "graphics/GBrush.h"

class GNoBrush : public GStoredLevel<GNoBrush, GBrush, 252> {
public:
    GNoBrush();
    explicit GNoBrush(const long& id);
    GNoBrush(const GNoBrush& other) = default;
    GNoBrush& operator=(const GNoBrush& other) = default;
    ~GNoBrush() override;

    GNoBrush* CreateNew() const override { return new GNoBrush; }
    GNoBrush* Copy() const override { return new GNoBrush(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 251; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
