#include "model/GReplicationStepper.h"

namespace {

bool Yields(const GStepper& stepper)
{
    return stepper.remaining != 0 && (stepper.value != 0 || stepper.decrement != 0);
}

} // namespace

GReplicationStepper::GReplicationStepper()
    : columns_{0, 1, 0, 0, 0}, rows_{0, 1, 0, 0, 0}, endlessRows_(1), mode_(1)
{
}

GReplicationStepper::GReplicationStepper(const GStepper& rows, const GStepper& columns, uint32_t endlessRows,
                                         uint32_t mode)
    : columns_(columns), rows_(rows), endlessRows_(endlessRows), mode_(mode)
{
    if (endlessRows_) {
        rows_.accumulator = 1;
        rows_.decrement = 0;
        rows_.remaining = 1;
        rows_.reload = 1;
    }
}

GReplicationStepper::~GReplicationStepper() {}

int16_t GReplicationStepper::Step(GStepper& stepper)
{
    if (stepper.remaining == 0)
        return 0;
    int16_t result = stepper.value;
    stepper.accumulator = int16_t(stepper.accumulator - stepper.decrement);
    if (stepper.accumulator <= 0) {
        stepper.accumulator = int16_t(stepper.accumulator + stepper.reload);
        result = int16_t(result + 1);
    }
    stepper.remaining = int16_t(stepper.remaining - 1);
    return result;
}

int16_t GReplicationStepper::NextRowCount()
{
    const int16_t remaining = rows_.remaining;
    const int16_t result = Step(rows_);
    if (endlessRows_)
        rows_.remaining = remaining;
    return result;
}

int16_t GReplicationStepper::NextCount()
{
    int16_t rowCount = 0;
    if (mode_ == 1)
        rowCount = NextRowCount();
    return int16_t(Step(columns_) + rowCount);
}

bool GReplicationStepper::IsActive() const { return Yields(rows_) || Yields(columns_); }
