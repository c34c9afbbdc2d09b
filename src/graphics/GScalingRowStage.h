// The stage that turns the source's rows into rows of the destination rectangle's size
// by repeating or dropping whole pixels across a row and whole rows down the image.
// Across a row of 1, 2, 4 or 8 bits per pixel the source pixels are stepped in 16.16 fixed
// point (StepPixels); wider pixels, and the rows down the image, follow the rounded-down
// ratio: destination pixel x of row y shows source pixel x * sw / dw of source row
// y * sh / dh, so every source pixel and row is used the floor or the ceiling of the
// ratio times when enlarging, and evenly spaced ones are kept when reducing.
#pragma once

#include "graphics/GRectRowStage.h"

#include <cstdint>
#include <vector>

class GScalingRowStage : public GRectRowStage {
public:
    // The rectangle is the destination.
    explicit GScalingRowStage(const GRowBounds& destination);

    // Delivers one destination row with its repeat count; length 0 once the destination
    // height is reached or the source has ended.
    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override;
    // Skips destination rows; the source skips the source rows they stand for.
    void SkipRows(uint32_t count) override;
    // 0 without a source, or for a depth it cannot scale across (not 1, 2 or 4 bits nor
    // whole bytes per pixel).
    uint32_t Begin() override;
    // The destination row's bytes; rows read unscaled into the caller's buffer may be as
    // long as the source's rows, so then the larger of the two.
    uint32_t GetMaxRowSize() override { return maxRowSize_; }

    // The 16.16 stepping of a row: step = (dw << 16) / sw rounded up; each source pixel in
    // turn adds the step to an accumulator and is written as often as the accumulator's
    // upper 16 bits changed, at least once; after a pixel whose change was 0 the next
    // pixels are passed over (each adding the step) until the upper bits change. Never
    // more than dw pixels. put(destination x, source x) for each one written; answers
    // the count written.
    template <class Put>
    static uint32_t StepPixels(uint32_t sw, uint32_t dw, Put put);

    bool ScalesHorizontally() const { return horizontal_; }
    bool ScalesVertically() const { return vertical_; }

private:
    // The source row that destination row y shows.
    uint32_t SourceRowOf(uint32_t y) const;
    // Moves the source on to source row target when it is not there yet.
    void PositionSource(uint32_t target);
    // Writes the destination width's pixels from the source row; answers the bytes.
    uint32_t ScaleRow(const uint8_t* in, uint8_t* out) const;

    GRowBounds sourceRect_;
    uint32_t sourceWidth_ = 0, destinationWidth_ = 0;
    uint32_t sourceHeight_ = 0, destinationHeight_ = 0;
    uint32_t bitsPerPixel_ = 0;
    uint32_t sourceMaxRowSize_ = 0;
    uint32_t destinationRowBytes_ = 0;
    // Destination rows delivered or skipped; source rows read or skipped.
    uint32_t nextRow_ = 0;
    uint32_t sourcePosition_ = 0;
    bool horizontal_ = false, vertical_ = false;
    std::vector<uint8_t> row_;
    // A row used more than 255 times goes out in parts: the output is kept to go again.
    std::vector<uint8_t> held_;
    bool heldValid_ = false;
    uint32_t heldRow_ = 0, heldLength_ = 0;
};

template <class Put>
uint32_t GScalingRowStage::StepPixels(uint32_t sw, uint32_t dw, Put put)
{
    if (sw == 0 || dw == 0)
        return 0;
    // The step is dw / sw in 16.16 fixed point, rounded up; each source pixel adds it to
    // the accumulator, and the change of the upper 16 bits says how often it is written.
    const uint64_t step = ((uint64_t(dw) << 16) + sw - 1) / sw;
    uint64_t accumulator = 0;
    uint32_t written = 0, x = 0;
    while (x < sw && written < dw) {
        const uint64_t before = accumulator >> 16;
        accumulator += step;
        uint64_t change = (accumulator >> 16) - before;
        put(written++, x);
        for (; change > 1 && written < dw; --change)
            put(written++, x);
        ++x;
        // A pixel that moved no whole destination pixel was written once all the same:
        // the pixels after it are passed over until the upper bits move.
        if (change == 0)
            while (x < sw) {
                const uint64_t skipped = accumulator >> 16;
                accumulator += step;
                ++x;
                if ((accumulator >> 16) != skipped)
                    break;
            }
    }
    return written;
}
