#include "graphics/GSeedRowCompressor.h"

#include "graphics/GDeltaRowCompressor.h"
#include "graphics/GRunLengthCompressor.h"

#include <algorithm>
#include <cstring>
#include <new>

GSeedRowCompressor::GSeedRowCompressor(uint16_t rowUnit, uint32_t invert)
    : GCompressorBase(rowUnit, invert)
{
}

GSeedRowCompressor::~GSeedRowCompressor() = default;

uint32_t GSeedRowCompressor::Begin()
{
    MeasureRow();
    failed_ = false;
    threshold_ = rowBytes_ / 3;
    const uint32_t sourceMax = source_ ? source_->GetMaxRowSize() : 0;
    if (!Allocate(row_, std::max(sourceMax, rowBytes_)))
        return 0;
    runLength_.reset(new (std::nothrow) GRunLengthCompressor(rowUnit_, invert_));
    delta_.reset(new (std::nothrow) GDeltaRowCompressor(rowUnit_, invert_, 0));
    if (!runLength_ || !delta_)
        return 0;
    runLength_->SetSource(source_);
    delta_->SetSource(source_);
    if (!runLength_->Begin() || !delta_->Begin())
        return 0;
    seed_ = delta_->GetSeedRow();
    seedValid_ = 0;
    maxRowSize_ = rowBytes_ + 6 +
                  std::max((rowBytes_ + 7) / 8, (rowBytes_ + 126) / 127 + (pad_ ? 2 : 0));
    ready_ = 1;
    return 1;
}

void GSeedRowCompressor::ResetSeedRow()
{
    if (seed_)
        std::memset(seed_, 0, rowBytes_);
    seedValid_ = 0;
}

uint32_t GSeedRowCompressor::ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length,
                                     uint8_t& repeat, uint8_t& rows)
{
    length = 0;
    if (failed_)
        return kBlockTooLong;
    if (empty_ || !source_ || !delta_ || row_.empty())
        return 0;
    const uint32_t status = source_->ReadRow(row_.data(), rowNumber, length, repeat, rows);
    if (length == 0)
        return status;

    const uint8_t* row = row_.data();
    uint32_t repeats = 0;
    uint32_t matches = 0;
    for (uint32_t i = 0; i < rowBytes_; ++i) {
        if (i > 0 && row[i] == row[i - 1])
            ++repeats;
        if (row[i] == seed_[i])
            ++matches;
    }
    if (!seedValid_) {
        seedValid_ = 1;
        matches = 0;
    }

    uint8_t* data = buffer + 3;
    uint8_t method;
    uint32_t dataLength;
    if (repeats < threshold_ && matches < threshold_) {
        method = 0;
        for (uint32_t i = 0; i < rowBytes_; ++i)
            data[i] = Out(row[i]);
        std::memset(data + rowBytes_, 0, pad_);
        dataLength = rowBytes_ + pad_;
        std::memcpy(seed_, row, rowBytes_);
    } else if (repeats > matches) {
        method = 2;
        dataLength = runLength_->Encode(row, data);
        std::memcpy(seed_, row, rowBytes_);
    } else {
        method = 3;
        dataLength = delta_->Encode(row, data);
    }
    if (dataLength > 0xFFFF) {
        // The block head cannot hold the length: the image fails rather than lie about it.
        failed_ = true;
        length = 0;
        return kBlockTooLong;
    }
    buffer[0] = method;
    buffer[1] = uint8_t(dataLength >> 8);
    buffer[2] = uint8_t(dataLength);
    length = dataLength + 3;

    if (repeat >= 2 && rows == 1) {
        buffer[length++] = 5;
        buffer[length++] = 0;
        buffer[length++] = uint8_t(repeat - 1);
        rows = repeat;
        repeat = 1;
    }
    return status;
}
