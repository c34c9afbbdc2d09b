// A stage that hands rows on untouched and makes the chain report its own rectangle:
// the destination of an image drawn at its own size.
#pragma once

#include "graphics/GRectRowStage.h"

class GCopyRowStage : public GRectRowStage {
public:
    explicit GCopyRowStage(const GRowBounds& rectangle);

    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;
    // Rows are the source's rows, so a skip is the source's skip.
    void SkipRows(uint32_t count) override;
};
