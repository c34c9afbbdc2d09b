// A 16-bit setting: on/off switches and choices by number. The most used attribute.
#pragma once

#include "model/GAttribute.h"

class GValueAttribute : public GPersistent<GValueAttribute, GAttribute, 763, true> {
public:
    static constexpr const char* kClassName = "GValueAttribute";
    GValueAttribute* CreateNew() const override { return new GValueAttribute; }
    GValueAttribute* Copy() const override { return new GValueAttribute(*this); }

    GValueAttribute();
    GValueAttribute(uint16_t value, const long& id);
    GValueAttribute(const GValueAttribute& other) = default;
    GValueAttribute& operator=(const GValueAttribute& other) = default;
    ~GValueAttribute() override;

    // The same object, or the same class, id and value.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    // The visitor's ApplyValue.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    uint16_t GetValue() const { return value_; }
    void SetValue(uint16_t value) { value_ = value; }
    // 1 for any non-zero flag, else 0.
    void SetBool(int flag) { value_ = flag ? 1 : 0; }
    bool IsTrue() const { return value_ != 0; }
    bool IsFalse() const { return value_ == 0; }

    auto StoredForm() { return GFields(value_); }

private:
    uint16_t value_;
};
