#include "model/GRangeAttribute.h"

#include "model/GAttributeVisitor.h"

#include <algorithm>

GRangeAttribute::GRangeAttribute() : minimum_(0), maximum_(0), step_(1), value_(0) {}

GRangeAttribute::GRangeAttribute(int16_t minimum, int16_t maximum, uint16_t step, int16_t value, const long& id)
    : GPersistent(id), minimum_(minimum), maximum_(maximum), step_(step ? step : 1), value_(value)
{
    Normalise();
}

GRangeAttribute::~GRangeAttribute() {}

int16_t GRangeAttribute::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyRange(*this); }

void GRangeAttribute::SetMinimum(int16_t minimum) { minimum_ = std::min(minimum, maximum_); }
void GRangeAttribute::SetMaximum(int16_t maximum) { maximum_ = std::max(maximum, minimum_); }
void GRangeAttribute::SetValue(int16_t value) { value_ = Clamp(value); }
void GRangeAttribute::Increment() { value_ = Clamp(int32_t(value_) + step_); }
void GRangeAttribute::Decrement() { value_ = Clamp(int32_t(value_) - step_); }

int16_t GRangeAttribute::Clamp(int32_t value) const
{
    return int16_t(std::min<int32_t>(std::max<int32_t>(value, minimum_), maximum_));
}

void GRangeAttribute::Normalise()
{
    maximum_ = std::max(maximum_, minimum_);
    value_ = Clamp(value_);
}
