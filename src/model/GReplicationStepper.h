// Spreads a whole number of repetitions evenly over a run of steps, in columns and in
// rows, as an image is enlarged by repeating pixels and rows: each step says how often
// to repeat the next source item, the base count or one more, with the extra
// repetitions falling on evenly spaced steps (a Bresenham-like accumulator).
#pragma once

#include <cstdint>

// One direction: the base count, the accumulator, what each step takes from it, the
// steps remaining, and what an overflowing step adds back.
struct GStepper {
    int16_t value;
    int16_t accumulator;
    int16_t decrement;
    int16_t remaining;
    int16_t reload;
};

class GReplicationStepper {
public:
    // Inactive: both directions have no steps.
    GReplicationStepper();
    // With endlessRows, every row step yields the row value, however often it is taken.
    // In mode 1 each column count includes one row step, taken first.
    GReplicationStepper(const GStepper& rows, const GStepper& columns, uint32_t endlessRows, uint32_t mode);
    virtual ~GReplicationStepper();

    virtual int16_t NextRowCount();
    virtual int16_t NextCount();
    // One step of the given direction: 0 once no steps remain.
    virtual int16_t Step(GStepper& stepper);

    // True when either direction still has steps that can yield something.
    bool IsActive() const;

private:
    GStepper columns_;
    GStepper rows_;
    uint32_t endlessRows_;
    uint32_t mode_;
};
