// Clipping to one rectangle.
// It is applied through the peripheral's ApplyClipToSingleRectangle.
#pragma once

#include "graphics/GClipAttribute.h"

class GClipToSingleRectangle : public GPersistent<GClipToSingleRectangle, GClipAttribute, 504> {
public:
    static constexpr const char* kClassName = "GClipToSingleRectangle";
    GClipToSingleRectangle* CreateNew() const override { return new GClipToSingleRectangle; }
    GClipToSingleRectangle* Copy() const override { return new GClipToSingleRectangle(*this); }

    // A zero rectangle, mode and operation unspecified.
    GClipToSingleRectangle();
    GClipToSingleRectangle(const GRect& rectangle, uint32_t operation, uint32_t mode, const long& id = 0);
    // Copies keep the source's id, mode and operation with the rectangle.
    GClipToSingleRectangle(const GClipToSingleRectangle& other) = default;
    GClipToSingleRectangle& operator=(const GClipToSingleRectangle& other) = default;
    ~GClipToSingleRectangle() override;

    // The clip comparison, then equal rectangles.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
    // The rectangle, always true.
    bool GetBounds(GRect& bounds) const override;

    GRect GetRectangle() const { return rectangle_; }
    void SetRectangle(const GRect& rectangle) { rectangle_ = rectangle; }

    auto StoredForm() { return GFields(rectangle_.left, rectangle_.top, rectangle_.right, rectangle_.bottom); }

private:
    GRect rectangle_;
};
