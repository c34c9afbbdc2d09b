// The base of the stages that pack rows for a page-description language: rows are padded
// to a multiple of the row unit, and data bytes may be complemented on their way out.
#pragma once

#include "graphics/GRowCompressor.h"

#include <vector>

class GCompressorBase : public GRowCompressor {
public:
    GCompressorBase(uint16_t rowUnit, uint32_t invert);

    uint32_t GetMaxRowSize() override { return maxRowSize_; }

protected:
    // Works out row bytes and pad from the source's bounds and depth. False when the
    // image has no width: the stage then delivers an empty image.
    bool MeasureRow();
    uint8_t Out(uint8_t byte) const { return invert_ ? uint8_t(255 - byte) : byte; }

    uint16_t rowUnit_;
    uint32_t invert_;
    uint32_t rowBytes_ = 0;
    uint32_t pad_ = 0;
    bool empty_ = false;
};
