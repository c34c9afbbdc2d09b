// A bounded 16-bit setting with a step. The value always lies between the minimum and
// the maximum: values given from outside are clamped, never refused.
#pragma once

#include "model/GPersistent.h"
#include "model/GAttribute.h"

class GRangeAttribute : public GPersistent<GRangeAttribute, GAttribute, 762, true> {
public:
    static constexpr const char* kClassName = "GRangeAttribute";
    GRangeAttribute* CreateNew() const override { return new GRangeAttribute; }
    GRangeAttribute* Copy() const override { return new GRangeAttribute(*this); }

    // Minimum, maximum and value 0, step 1.
    GRangeAttribute();
    // A maximum below the minimum becomes the minimum, the value is clamped, and a step
    // of 0 becomes 1.
    GRangeAttribute(int16_t minimum, int16_t maximum, uint16_t step, int16_t value, const long& id);
    GRangeAttribute(const GRangeAttribute& other) = default;
    GRangeAttribute& operator=(const GRangeAttribute& other) = default;
    ~GRangeAttribute() override;

    // The same object, or the same class and id and equal bounds, step and value.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    // The visitor's ApplyRange.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    int16_t GetMinimum() const { return minimum_; }
    int16_t GetMaximum() const { return maximum_; }
    uint16_t GetStep() const { return step_; }
    int16_t GetValue() const { return value_; }
    // Not above the maximum; the value stays where it is.
    void SetMinimum(int16_t minimum);
    // Not below the minimum; the value stays where it is.
    void SetMaximum(int16_t maximum);
    // Any step, 0 included.
    void SetStep(uint16_t step) { step_ = step; }
    // Clamped to the bounds.
    void SetValue(int16_t value);
    // One step up or down, then clamped: at a bound the value stays at the bound.
    void Increment();
    void Decrement();
    bool IsInRange(int16_t value) const { return minimum_ <= value && value <= maximum_; }

    auto StoredForm() { return GFields(minimum_, maximum_, step_, value_); }
    // Stored bounds are not trusted to be in order.
    template <class In>
    void ReadForm(In& in)
    {
        if (GReadForm(in, StoredForm()))
            Normalise();
    }

private:
    // The value clamped to the bounds, computed without 16-bit wrap-around.
    int16_t Clamp(int32_t value) const;
    // Restores the invariants: maximum not below minimum, value between them.
    void Normalise();

    int16_t minimum_;
    int16_t maximum_;
    uint16_t step_;
    int16_t value_;
};
