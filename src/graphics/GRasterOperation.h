// The raster operation that combines what is drawn with what is there, with a second
// value; what both mean is the writers'.
// It is applied through the peripheral's ApplyRasterOperation.
#pragma once

#include "model/GGraphicAttribute.h"

class GRasterOperation : public GPersistent<GRasterOperation, GGraphicAttribute, 401, true> {
public:
    static constexpr const char* kClassName = "GRasterOperation";
    GRasterOperation* CreateNew() const override { return new GRasterOperation; }
    GRasterOperation* Copy() const override { return new GRasterOperation(*this); }

    // Code 0, value 2.
    GRasterOperation();
    GRasterOperation(uint16_t code, uint32_t value, const long& id);
    GRasterOperation(const GRasterOperation& other) = default;
    GRasterOperation& operator=(const GRasterOperation& other) = default;
    ~GRasterOperation() override;

    // The same object, or the same class and id, code and value.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    uint16_t GetRop() const { return code_; }
    uint32_t GetValue() const { return value_; }

    auto StoredForm() { return GFields(code_, value_); }

private:
    uint16_t code_;
    uint32_t value_;
};
