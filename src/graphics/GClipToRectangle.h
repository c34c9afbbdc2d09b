// Clipping to a set of rectangles.
// It is applied through the peripheral's ApplyClipToRectangle.
#pragma once

#include "graphics/GClipAttribute.h"

class GClipToRectangle : public GStoredLevel<GClipToRectangle, GClipAttribute, 501> {
public:
    GClipToRectangle();
    explicit GClipToRectangle(const long& id);
    GClipToRectangle(const GClipToRectangle& other) = default;
    GClipToRectangle& operator=(const GClipToRectangle& other) = default;
    ~GClipToRectangle() override;

    GClipToRectangle* CreateNew() const override { return new GClipToRectangle; }
    GClipToRectangle* Copy() const override { return new GClipToRectangle(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 756; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
