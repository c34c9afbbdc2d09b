// The stage that turns rows of 1, 4 or 8 bits per pixel into 1-bit rows: each pixel's
// gray level is compared with the threshold of a dither matrix laid over the page from
// the image's own position, so neighbouring images share one screen.
#pragma once

#include "graphics/GBitmapImp.h"
#include "graphics/GValueRowStage.h"

#include <memory>
#include <vector>

class GDitherMatrix;

class GDitherRowStage : public GValueRowStage {
public:
    // The matrix is borrowed; a null level function takes the usual weights of red,
    // green and blue.
    GDitherRowStage(const GRowBounds& rectangle, const GDitherMatrix* matrix, GBitmapImp::GrayConverter level);
    ~GDitherRowStage() override;

    // One 1-bit row; a source row repeated n times comes out as n rows, each with its
    // own matrix row.
    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;
    // 0 without a source or a matrix with thresholds, or for a depth other than 1, 4, 8.
    uint32_t Begin() override;
    uint32_t GetMaxRowSize() override { return maxRowSize_; }
    uint32_t GetBitsPerPixel() override { return 1; }
    // Black, then white.
    const GPaletteTable* GetPalette() override { return palette_.get(); }

private:
    void Convert(uint16_t rowNumber, uint8_t* out);

    std::unique_ptr<GPaletteTable> palette_;
    // Gray level per pixel value.
    uint8_t levels_[256] = {};
    std::vector<uint8_t> row_;
    uint32_t bitsPerPixel_ = 0;
    GRowBounds bounds_;
    uint32_t width_ = 0;
    uint32_t pending_ = 0;
    uint16_t pendingRow_ = 0;
    const GDitherMatrix* matrix_;
    uint8_t matrixWidth_ = 0, matrixHeight_ = 0;
    uint32_t startColumn_ = 0;
    uint32_t rowOffset_ = 0;
    GBitmapImp::GrayConverter level_;
    // One row period of the matrix, from the image's left column.
    std::vector<uint8_t> thresholds_;
};
