// The pen that draws nothing.
// It is applied through the peripheral's ApplyNoPen.
#pragma once

#include "graphics/GPen.h"

class GNoPen : public GPersistent<GNoPen, GPen, 202> {
public:
    static constexpr const char* kClassName = "GNoPen";
    GNoPen* CreateNew() const override { return new GNoPen; }
    GNoPen* Copy() const override { return new GNoPen(*this); }

    // Width 0, no paint.
    GNoPen();
    // Width 1, no paint.
    explicit GNoPen(const long& id);
    GNoPen(const GNoPen& other) = default;
    GNoPen& operator=(const GNoPen& other) = default;
    ~GNoPen() override;

    // The pen comparison, and only while this pen holds no paint.
    bool IsSame(const GObjectBase* other) const override;
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    // Only the version word.
    auto StoredForm() { return GFields(); }
};
