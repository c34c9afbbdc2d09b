// The rotation, origin and scale of the page coordinate system. Peripherals find it by
// its class id in the graphic state.
// It is applied through the peripheral's ApplyTransform.
#pragma once

#include "model/GAttribute.h"

#include <cstdint>

class GTransformAttribute : public GPersistent<GTransformAttribute, GAttribute, 103, true> {
public:
    static constexpr const char* kClassName = "GTransformAttribute";
    GTransformAttribute* CreateNew() const override { return new GTransformAttribute; }
    GTransformAttribute* Copy() const override { return new GTransformAttribute(*this); }

    // Rotation 0, origin (0, 0), scale (1.0, 1.0).
    GTransformAttribute();
    explicit GTransformAttribute(const long& id);
    GTransformAttribute(uint16_t rotation, int16_t originX, int16_t originY, float scaleX, float scaleY);
    GTransformAttribute(const GTransformAttribute& other) = default;
    GTransformAttribute& operator=(const GTransformAttribute& other) = default;
    ~GTransformAttribute() override;

    // Same class and id, equal rotation, origin and scales (compared as floats).
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    // b applied inside a: a's origin plus b's origin scaled by a (truncated toward zero,
    // wrapping to 16 bits), the scales multiplied, the rotations added (wrapping). A new
    // transform with the default id; the caller owns it.
    static GTransformAttribute* Concatenate(const GTransformAttribute& a, const GTransformAttribute& b);

    void SetScale(float x, float y) { scaleX_ = x, scaleY_ = y; }
    void SetOrigin(int16_t x, int16_t y) { originX_ = x, originY_ = y; }
    uint16_t SetRotation(uint16_t rotation) { return rotation_ = rotation; }
    float GetScaleX() const { return scaleX_; }
    float GetScaleY() const { return scaleY_; }
    int16_t GetOriginX() const { return originX_; }
    int16_t GetOriginY() const { return originY_; }
    uint16_t GetRotation() const { return rotation_; }

    auto StoredForm() { return GFields(rotation_, originX_, originY_, scaleX_, scaleY_); }

private:
    uint16_t rotation_;
    int16_t originX_;
    int16_t originY_;
    float scaleX_;
    float scaleY_;
};
