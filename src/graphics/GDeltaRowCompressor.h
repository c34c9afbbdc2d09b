// The stage that codes each row as delta-row commands against the row before it (the seed
// row), optionally behind a 16-bit length prefix.
#pragma once

#include "graphics/GCompressorBase.h"

class GDeltaRowCompressor : public GCompressorBase {
public:
    GDeltaRowCompressor(uint16_t rowUnit, uint32_t invert, uint32_t lengthPrefix);

    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;
    uint32_t Begin() override;

    // Writes the commands that turn the seed row into row, and makes row the seed row;
    // answers the bytes written. The adaptive stage codes its rows with this as well.
    uint32_t Encode(const uint8_t* row, uint8_t* out);
    // Row bytes long, zero at Begin; the adaptive stage shares it.
    uint8_t* GetSeedRow() { return seed_.data(); }

private:
    std::vector<uint8_t> row_;
    std::vector<uint8_t> seed_;
    uint32_t lengthPrefix_;
    bool failed_ = false;
};
