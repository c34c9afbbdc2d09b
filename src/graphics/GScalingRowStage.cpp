#include "graphics/GScalingRowStage.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t Extent(int16_t from, int16_t to)
{
    const int32_t n = int16_t(to - from);
    return n > 0 ? uint32_t(n) : 0;
}

uint8_t PackedPixel(const uint8_t* row, uint32_t x, uint32_t bits)
{
    const uint32_t bit = x * bits;
    return uint8_t((row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1));
}

} // namespace

GScalingRowStage::GScalingRowStage(const GRowBounds& destination) : GRectRowStage(destination) {}

uint32_t GScalingRowStage::Begin()
{
    ready_ = 0;
    nextRow_ = sourcePosition_ = 0;
    heldValid_ = false;
    if (!source_)
        return 0;
    source_->GetBounds(sourceRect_);
    sourceWidth_ = Extent(sourceRect_.left, sourceRect_.right);
    sourceHeight_ = Extent(sourceRect_.top, sourceRect_.bottom);
    destinationWidth_ = Extent(rect_.left, rect_.right);
    destinationHeight_ = Extent(rect_.top, rect_.bottom);
    horizontal_ = sourceWidth_ != destinationWidth_;
    vertical_ = sourceHeight_ != destinationHeight_;
    bitsPerPixel_ = source_->GetBitsPerPixel() & 0xFF;
    if (horizontal_ && !(bitsPerPixel_ == 1 || bitsPerPixel_ == 2 || bitsPerPixel_ == 4 ||
                         (bitsPerPixel_ != 0 && bitsPerPixel_ % 8 == 0)))
        return 0;
    // Without a source row nothing can be shown: the image is empty.
    if (sourceWidth_ == 0 || sourceHeight_ == 0)
        destinationHeight_ = 0;
    sourceMaxRowSize_ = source_->GetMaxRowSize();
    destinationRowBytes_ = (bitsPerPixel_ * destinationWidth_ + 7) / 8;
    const uint32_t sourceRowBytes = (bitsPerPixel_ * sourceWidth_ + 7) / 8;
    maxRowSize_ = horizontal_ ? destinationRowBytes_ : std::max(destinationRowBytes_, sourceMaxRowSize_);
    if (horizontal_ && !Allocate(row_, std::max(sourceMaxRowSize_, sourceRowBytes)))
        return 0;
    const bool longRepeats = vertical_ && sourceHeight_ && (destinationHeight_ + sourceHeight_ - 1) / sourceHeight_ > 255;
    if (longRepeats && !Allocate(held_, maxRowSize_))
        return 0;
    ready_ = 1;
    return 1;
}

uint32_t GScalingRowStage::SourceRowOf(uint32_t y) const
{
    return vertical_ ? uint32_t(uint64_t(y) * sourceHeight_ / destinationHeight_) : y;
}

void GScalingRowStage::PositionSource(uint32_t target)
{
    if (target > sourcePosition_) {
        source_->SkipRows(target - sourcePosition_);
        sourcePosition_ = target;
    }
}

void GScalingRowStage::SkipRows(uint32_t count)
{
    if (!ready_ || count == 0)
        return;
    nextRow_ = uint32_t(std::min<uint64_t>(uint64_t(nextRow_) + count, destinationHeight_));
    if (nextRow_ < destinationHeight_)
        PositionSource(SourceRowOf(nextRow_));
    else if (!vertical_)
        PositionSource(nextRow_);
}

uint32_t GScalingRowStage::ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                                   uint8_t& rows)
{
    length = 0;
    if (!ready_ || nextRow_ >= destinationHeight_)
        return 0;
    const uint32_t target = SourceRowOf(nextRow_);
    uint32_t status = 0;
    if (heldValid_ && target == heldRow_) {
        std::memcpy(buffer, held_.data(), heldLength_);
        length = heldLength_;
        rows = 1;
    } else {
        heldValid_ = false;
        PositionSource(target);
        status = source_->ReadRow(horizontal_ ? row_.data() : buffer, rowNumber, length, repeat, rows);
        if (length == 0) {
            nextRow_ = destinationHeight_;
            return status;
        }
        sourcePosition_ = target + 1;
        if (horizontal_)
            length = ScaleRow(row_.data(), buffer);
    }
    // The destination rows that show this source row: up to the first row of the next.
    uint32_t end = nextRow_ + 1;
    if (vertical_)
        end = uint32_t(std::min<uint64_t>((uint64_t(target + 1) * destinationHeight_ + sourceHeight_ - 1) / sourceHeight_,
                                          destinationHeight_));
    const uint32_t use = std::min<uint32_t>(end - nextRow_, 255);
    if (nextRow_ + use < end && !heldValid_ && !held_.empty()) {
        std::memcpy(held_.data(), buffer, std::min<uint32_t>(length, uint32_t(held_.size())));
        heldLength_ = std::min<uint32_t>(length, uint32_t(held_.size()));
        heldRow_ = target;
        heldValid_ = true;
    }
    rowNumber = uint16_t(nextRow_);
    repeat = uint8_t(use);
    nextRow_ += use;
    return status;
}

uint32_t GScalingRowStage::ScaleRow(const uint8_t* in, uint8_t* out) const
{
    const uint32_t bits = bitsPerPixel_;
    const uint32_t dw = destinationWidth_, sw = sourceWidth_;
    if (dw == 0 || sw == 0)
        return 0;
    if (bits <= 8) {
        // Packed pixels follow the 16.16 stepping rule; the bits past the last pixel stay 0.
        if (bits < 8)
            std::memset(out, 0, destinationRowBytes_);
        const uint32_t written = StepPixels(sw, dw, [&](uint32_t x, uint32_t index) {
            if (bits == 8) {
                out[x] = in[index];
                return;
            }
            const uint32_t bit = x * bits;
            out[bit / 8] = uint8_t(out[bit / 8] | PackedPixel(in, index, bits) << (8 - bits - bit % 8));
        });
        return (written * bits + 7) / 8;
    }
    // Source index = floor(x * sw / dw), stepped with a remainder so no product is taken.
    uint32_t index = 0, rest = 0;
    auto advance = [&] {
        rest += sw;
        while (rest >= dw)
            rest -= dw, ++index;
    };
    if (bits == 24) {
        for (uint32_t x = 0; x < dw; ++x, advance()) {
            const uint8_t* p = in + 3 * index;
            out[3 * x] = p[0], out[3 * x + 1] = p[1], out[3 * x + 2] = p[2];
        }
    } else {
        const uint32_t bytes = bits / 8;
        for (uint32_t x = 0; x < dw; ++x, advance())
            std::memcpy(out + x * bytes, in + index * bytes, bytes);
    }
    return destinationRowBytes_;
}
