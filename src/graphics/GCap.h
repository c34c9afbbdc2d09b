// The style of line ends; what the codes mean is the writers'.
// It is applied through the peripheral's ApplyCap.
#pragma once

#include "model/GGraphicAttribute.h"

class GCap : public GPersistent<GCap, GGraphicAttribute, 301, true> {
public:
    static constexpr const char* kClassName = "GCap";
    GCap* CreateNew() const override { return new GCap; }
    GCap* Copy() const override { return new GCap(*this); }

    // Cap 1.
    GCap();
    GCap(uint32_t cap, const long& id);
    GCap(const GCap& other) = default;
    GCap& operator=(const GCap& other) = default;
    ~GCap() override;

    // The same object, or the same class and id and the same cap.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    uint32_t GetCap() const { return cap_; }

    auto StoredForm() { return GFields(cap_); }

private:
    uint32_t cap_;
};
