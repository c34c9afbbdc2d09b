// The stage that packs each row as TIFF PackBits, padded to the row unit.
#pragma once

#include "graphics/GCompressorBase.h"

class GRunLengthCompressor : public GCompressorBase {
public:
    GRunLengthCompressor(uint16_t rowUnit, uint32_t invert);

    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;
    uint32_t Begin() override;

    // Packs row bytes of row and pad zero bytes into out; answers the bytes written. The
    // adaptive stage packs its rows with this as well.
    uint32_t Encode(const uint8_t* row, uint8_t* out) const;

private:
    std::vector<uint8_t> row_;
};
