// How the inside of a path is decided when it is filled; what the codes mean is the
// writers'.
// It is applied through the peripheral's ApplyFillMode.
#pragma once

#include "model/GGraphicAttribute.h"

class GFillMode : public GPersistent<GFillMode, GGraphicAttribute, 102, true> {
public:
    static constexpr const char* kClassName = "GFillMode";
    GFillMode* CreateNew() const override { return new GFillMode; }
    GFillMode* Copy() const override { return new GFillMode(*this); }

    // Mode 2.
    GFillMode();
    GFillMode(uint32_t mode, const long& id);
    GFillMode(const GFillMode& other) = default;
    GFillMode& operator=(const GFillMode& other) = default;
    ~GFillMode() override;

    // The same object, or the same class and id and the same mode.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    uint32_t GetFillMode() const { return mode_; }

    auto StoredForm() { return GFields(mode_); }

private:
    uint32_t mode_;
};
