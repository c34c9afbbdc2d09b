// A 32-bit setting. Peripherals have no visitor for it: applying it does nothing.
#pragma once

#include "model/GAttribute.h"

class GValue32Attribute : public GPersistent<GValue32Attribute, GAttribute, 789, true> {
public:
    static constexpr const char* kClassName = "GValue32Attribute";
    GValue32Attribute* CreateNew() const override { return new GValue32Attribute; }
    GValue32Attribute* Copy() const override { return new GValue32Attribute(*this); }

    GValue32Attribute();
    GValue32Attribute(uint32_t value, const long& id);
    GValue32Attribute(const GValue32Attribute& other) = default;
    GValue32Attribute& operator=(const GValue32Attribute& other) = default;
    ~GValue32Attribute() override;

    // The same object, or the same class, id and value.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    // 0; no visitor is called.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    uint32_t GetValue() const { return value_; }
    void SetValue(uint32_t value) { value_ = value; }

    auto StoredForm() { return GFields(value_); }

private:
    uint32_t value_;
};
