// The stage of a raster chain that cuts the rows of the stage before it to a clip's
// bounds: the leading rows are skipped, each row is moved left to the clipped left edge
// (to the bit at 1 and 4 bits per pixel) and cut to the clipped width, and the image
// ends at the clipped bottom.
#pragma once

#include "graphics/GValueRowStage.h"

class GClipAttribute;

class GClipRowStage : public GValueRowStage {
public:
    // The clip is borrowed.
    explicit GClipRowStage(const GClipAttribute* clip);

    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;
    // 0 (the chain leaves the stage out) without a source, for a clip that does not
    // intersect or has no bounds, or when the clip keeps every pixel. A clip that keeps
    // nothing stays, and the image has no rows.
    uint32_t Begin() override;
    uint32_t GetMaxRowSize() override { return maxRowSize_; }
    // The clipped rectangle.
    void GetBounds(GRowBounds& bounds) override { bounds = rect_; }

    uint8_t GetLastByteMask() const { return mask_; }
    uint16_t GetRowBytes() const { return rowBytes_; }

private:
    const GClipAttribute* clip_;
    GRowBounds rect_;
    bool skipped_ = false;
    bool empty_ = false;
    uint16_t rowsToSkip_ = 0;
    uint16_t pixelOffset_ = 0;
    uint16_t rowBytes_ = 0;
    uint8_t bitsPerPixel_ = 0;
    uint8_t bitShift_ = 0;
    uint8_t mask_ = 0;
    // Clipped rows delivered, counting repeats.
    uint32_t delivered_ = 0;
};
