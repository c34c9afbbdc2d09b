// The first stage of every raster chain: delivers the rows of a rectangle of a bitmap,
// one at a time, converted for the source kind. Kinds 1 and 4 deliver inverted data
// (kind 1 through an inverted palette where the bitmap has one); 24-bit images of kinds
// 0, 1 and 4 come out as 8-bit gray rows.
#pragma once

#include "graphics/GBitmap.h"
#include "graphics/GRowCompressor.h"

#include <memory>

class GBitmapRowStage : public GRowCompressor {
public:
    // The rectangle is cut to the bitmap, so no row read reaches outside it.
    GBitmapRowStage(const GRowBounds& rectangle, const GBitmap& bitmap, uint32_t sourceKind);
    ~GBitmapRowStage() override;

    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;
    // Moves on by count rows, never past the bottom.
    void SkipRows(uint32_t count) override;
    uint32_t GetMaxRowSize() override { return maxRowSize_; }
    void GetBounds(GRowBounds& bounds) override { bounds = rect_; }
    uint32_t GetBitsPerPixel() override { return bitsPerPixel_; }
    // None for gray rows made from colour; the inverted palette for kind 1 where there
    // is one; else the bitmap's.
    const GPaletteTable* GetPalette() override;

private:
    GBitmap bitmap_;
    GRowBounds rect_;
    int32_t current_;
    uint16_t outputRow_ = 0;
    uint8_t bitsPerPixel_;
    uint32_t noPalette_ = 0;
    uint32_t sourceKind_;
    bool complement_ = false;
    std::unique_ptr<GPaletteTable> inverted_;
};
