// The adaptive stage: each row becomes one block of the method that suits it (unencoded,
// PackBits or delta row against the seed row), followed by a duplicate-row block when the
// source repeats the row.
#pragma once

#include "graphics/GCompressorBase.h"

#include <memory>

class GDeltaRowCompressor;
class GRunLengthCompressor;

class GSeedRowCompressor : public GCompressorBase {
public:
    GSeedRowCompressor(uint16_t rowUnit, uint32_t invert);
    ~GSeedRowCompressor() override;

    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;
    uint32_t Begin() override;

    // Zeroes the seed row and marks it not valid.
    void ResetSeedRow();

private:
    std::vector<uint8_t> row_;
    uint32_t seedValid_ = 0;
    uint8_t* seed_ = nullptr;
    uint32_t threshold_ = 0;
    std::unique_ptr<GRunLengthCompressor> runLength_;
    std::unique_ptr<GDeltaRowCompressor> delta_;
    bool failed_ = false;
};
