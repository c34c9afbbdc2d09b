#include "model/GRangeAttribute.h"

#include "foundation/RWFactory.h"
#include "model/GStoredFields.h"
#include "printer/GPeripheral.h"

#include <algorithm>

namespace {

const RWClassRegistration<GRangeAttribute> g_registration("GRangeAttribute");

} // namespace

GRangeAttribute::GRangeAttribute() : minimum_(0), maximum_(0), step_(1), value_(0) {}

GRangeAttribute::GRangeAttribute(int16_t minimum, int16_t maximum, uint16_t step, int16_t value, const long& id)
    : GAttribute(id), minimum_(minimum), maximum_(maximum), step_(step ? step : 1), value_(value)
{
    Normalise();
}

GRangeAttribute::~GRangeAttribute() {}

GRangeAttribute* GRangeAttribute::CreateNew() const { return new GRangeAttribute; }
GRangeAttribute* GRangeAttribute::Copy() const { return new GRangeAttribute(*this); }
RWClassID GRangeAttribute::ClassId() const { return kClassId; }
uint32_t GRangeAttribute::BinaryStoreSize() const { return GAttribute::BinaryStoreSize() + 12; }

bool GRangeAttribute::IsKindOf(RWClassID classId) const { return classId == kClassId || GAttribute::IsKindOf(classId); }

bool GRangeAttribute::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GRangeAttribute* range = GSameClass<GRangeAttribute>(this, other);
    return range && range->GetId() == GetId() && range->maximum_ == maximum_ && range->minimum_ == minimum_ &&
           range->step_ == step_ && range->value_ == value_;
}

template <class In>
void GRangeAttribute::ReadFields(In& in)
{
    int16_t minimum = 0;
    int16_t maximum = 0;
    uint16_t step = 0;
    int16_t value = 0;
    if (!GReadFields(in, minimum, maximum, step, value))
        return;
    minimum_ = minimum;
    maximum_ = maximum;
    step_ = step;
    value_ = value;
    // Stored bounds are not trusted to be in order.
    Normalise();
}

template <class Out>
void GRangeAttribute::WriteFields(Out& out) const
{
    GWriteFields(out, minimum_, maximum_, step_, value_);
}

void GRangeAttribute::RestoreGuts(RWDataInStream& stream)
{
    GAttribute::RestoreGuts(stream);
    ReadFields(stream);
}

void GRangeAttribute::RestoreGuts(RWBinaryFile& file)
{
    GAttribute::RestoreGuts(file);
    ReadFields(file);
}

void GRangeAttribute::SaveGuts(RWDataOutStream& stream) const
{
    GAttribute::SaveGuts(stream);
    WriteFields(stream);
}

void GRangeAttribute::SaveGuts(RWBinaryFile& file) const
{
    GAttribute::SaveGuts(file);
    WriteFields(file);
}

RWClassID GRangeAttribute::StorageClassId() const { return kClassId; }
int16_t GRangeAttribute::ApplyTo(GPeripheral& peripheral) { return peripheral.ApplyRange(*this); }

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
