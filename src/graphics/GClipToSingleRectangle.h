// Clipping to one rectangle.
// It is applied through the peripheral's ApplyClipToSingleRectangle.
#pragma once

#include "graphics/GClipAttribute.h"

class GClipToSingleRectangle : public GStoredLevel<GClipToSingleRectangle, GClipAttribute, 504> {
public:
    GClipToSingleRectangle();
    explicit GClipToSingleRectangle(const long& id);
    GClipToSingleRectangle(const GClipToSingleRectangle& other) = default;
    GClipToSingleRectangle& operator=(const GClipToSingleRectangle& other) = default;
    ~GClipToSingleRectangle() override;

    GClipToSingleRectangle* CreateNew() const override { return new GClipToSingleRectangle; }
    GClipToSingleRectangle* Copy() const override { return new GClipToSingleRectangle(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 756; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
