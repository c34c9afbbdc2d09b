#include "graphics/GClipRowStage.h"

#include "graphics/GClipAttribute.h"

#include <algorithm>
#include <cstring>

GClipRowStage::GClipRowStage(const GClipAttribute* clip) : GValueRowStage(0), clip_(clip) {}

uint32_t GClipRowStage::Begin()
{
    ready_ = 0;
    skipped_ = false;
    delivered_ = 0;
    GRect clipBounds;
    if (!source_ || !clip_ || clip_->GetClipOperation() != 0 || !clip_->GetBounds(clipBounds))
        return 0;
    GRowBounds s;
    source_->GetBounds(s);
    const GRect sourceRect = {s.left, s.top, s.right, s.bottom};
    GRect common;
    empty_ = !IntersectRect(common, sourceRect, clipBounds);
    if (!empty_ && common == sourceRect)
        return 0;
    if (empty_)
        common = GRect{s.left, s.top, s.left, s.top};
    rect_ = GRowBounds{common.left, common.top, common.right, common.bottom};
    rowsToSkip_ = uint16_t(common.top - s.top);
    pixelOffset_ = uint16_t(common.left - s.left);
    bitsPerPixel_ = uint8_t(source_->GetBitsPerPixel());
    bitShift_ = uint8_t((uint32_t(pixelOffset_) * bitsPerPixel_) % 8);
    const uint32_t width = uint16_t(common.right - common.left);
    rowBytes_ = uint16_t((width * bitsPerPixel_ + 7) / 8);
    const uint32_t tail = (width * bitsPerPixel_) % 8;
    mask_ = tail ? uint8_t(0xFF << (8 - tail)) : 0;
    // One byte more: the shift reads the byte after the last one it keeps.
    const uint32_t sourceRowBytes = (uint32_t(uint16_t(s.right - s.left)) * bitsPerPixel_ + 7) / 8;
    maxRowSize_ = std::max(source_->GetMaxRowSize(), sourceRowBytes) + 1;
    ready_ = 1;
    return 1;
}

uint32_t GClipRowStage::ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                                uint8_t& rows)
{
    length = 0;
    const uint32_t height = uint16_t(rect_.bottom - rect_.top);
    if (!ready_ || empty_ || delivered_ >= height)
        return 0;
    if (!skipped_) {
        skipped_ = true;
        if (rowsToSkip_)
            source_->SkipRows(rowsToSkip_);
    }
    // A source that did not skip hands out the leading rows again: they are passed over.
    uint32_t status;
    int32_t row;
    do {
        status = source_->ReadRow(buffer, rowNumber, length, repeat, rows);
        if (length == 0)
            return status;
        if (repeat == 0)
            repeat = 1;
        row = int32_t(rowNumber) - rowsToSkip_;
    } while (row + repeat <= 0);
    if (row < 0) {
        repeat = uint8_t(repeat + row);
        row = 0;
    }
    if (uint32_t(row) >= height) {
        length = 0;
        delivered_ = height;
        return status;
    }
    if (uint32_t(row) + repeat > height)
        repeat = uint8_t(height - uint32_t(row));
    rowNumber = uint16_t(row);
    delivered_ = uint32_t(row) + repeat;

    const uint32_t byteOffset = uint32_t(bitsPerPixel_) * pixelOffset_ / 8;
    // Bytes the move reads; those the source did not deliver read as zeros.
    const uint32_t needed = std::min(byteOffset + rowBytes_ + (bitShift_ ? 1u : 0u), maxRowSize_);
    if (length < needed)
        std::memset(buffer + length, 0, needed - length);
    if (pixelOffset_ != 0) {
        if (bitShift_ == 0) {
            std::memmove(buffer, buffer + byteOffset, rowBytes_);
        } else {
            for (uint32_t i = 0; i < rowBytes_; ++i) {
                const uint32_t pair = uint32_t(buffer[i + byteOffset]) << 8 | buffer[i + byteOffset + 1];
                buffer[i] = uint8_t(pair >> (8 - bitShift_));
            }
        }
    }
    if (mask_ && rowBytes_)
        buffer[rowBytes_ - 1] &= mask_;
    length = rowBytes_;
    return status;
}
