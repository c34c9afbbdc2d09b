#include "graphics/GDeltaRowCompressor.h"

#include <algorithm>

GDeltaRowCompressor::GDeltaRowCompressor(uint16_t rowUnit, uint32_t invert, uint32_t lengthPrefix)
    : GCompressorBase(rowUnit, invert), lengthPrefix_(lengthPrefix)
{
}

uint32_t GDeltaRowCompressor::Begin()
{
    MeasureRow();
    failed_ = false;
    const uint32_t sourceMax = source_ ? source_->GetMaxRowSize() : 0;
    if (!Allocate(row_, std::max(sourceMax, rowBytes_)) || !Allocate(seed_, rowBytes_))
        return 0;
    maxRowSize_ = rowBytes_ + (rowBytes_ + 7) / 8 + (lengthPrefix_ ? 2 : 0);
    ready_ = 1;
    return 1;
}

uint32_t GDeltaRowCompressor::ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length,
                                      uint8_t& repeat, uint8_t& rows)
{
    length = 0;
    if (failed_)
        return kBlockTooLong;
    if (empty_ || !source_ || row_.empty())
        return 0;
    const uint32_t status = source_->ReadRow(row_.data(), rowNumber, length, repeat, rows);
    if (length == 0)
        return status;
    if (!lengthPrefix_) {
        length = Encode(row_.data(), buffer);
        return status;
    }
    const uint32_t data = Encode(row_.data(), buffer + 2);
    if (data > 0xFFFF) {
        // The prefix cannot hold the length: the image fails rather than lie about it.
        failed_ = true;
        length = 0;
        return kBlockTooLong;
    }
    buffer[0] = uint8_t(data);
    buffer[1] = uint8_t(data >> 8);
    length = data + 2;
    return status;
}

uint32_t GDeltaRowCompressor::Encode(const uint8_t* row, uint8_t* out)
{
    uint8_t* seed = seed_.data();
    uint32_t p = 0;
    uint32_t unchanged = 0;  // since the end of the previous command's bytes
    uint32_t runStart = 0;
    uint32_t run = 0;

    auto writeCommand = [&] {
        const uint32_t head = (run - 1) * 32;
        if (unchanged < 31) {
            out[p++] = uint8_t(head + unchanged);
        } else {
            out[p++] = uint8_t(head + 31);
            uint32_t rest = unchanged - 31;
            for (; rest >= 255; rest -= 255)
                out[p++] = 255;
            out[p++] = uint8_t(rest);
        }
        for (uint32_t i = 0; i < run; ++i)
            out[p++] = Out(row[runStart + i]);
        unchanged = 0;
        run = 0;
    };

    for (uint32_t i = 0; i < rowBytes_; ++i) {
        if (row[i] == seed[i]) {
            if (run)
                writeCommand();
            ++unchanged;
            continue;
        }
        seed[i] = row[i];
        if (run == 0)
            runStart = i;
        if (++run == 8)
            writeCommand();
    }
    if (run)
        writeCommand();
    return p;
}
