// The base of the stages that keep one 32-bit value of their own (two 16-bit halves)
// and ask their source everything else.
#pragma once

#include "graphics/GRowCompressor.h"

class GValueRowStage : public GRowCompressor {
public:
    explicit GValueRowStage(uint32_t value);

    uint32_t GetValue() const { return value_; }
    uint16_t GetLowHalf() const { return uint16_t(value_); }
    uint16_t GetHighHalf() const { return uint16_t(value_ >> 16); }

private:
    uint32_t value_;
};
