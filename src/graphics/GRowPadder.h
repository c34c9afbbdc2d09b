// The stage that sends rows unencoded, padded with zeros to a multiple of the row unit.
#pragma once

#include "graphics/GCompressorBase.h"

class GRowPadder : public GCompressorBase {
public:
    GRowPadder(uint16_t rowUnit, uint32_t invert);

    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;
    uint32_t Begin() override;
};
