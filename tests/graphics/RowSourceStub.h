// A first row stage for tests: hands out the given rows, each with its repeat count, and
// counts the rows it was asked to skip.
#pragma once

#include "graphics/GRowCompressor.h"

#include <algorithm>
#include <cstring>
#include <vector>

class RowSourceStub : public GRowCompressor {
public:
    RowSourceStub(int16_t width, uint32_t bpp, std::vector<std::vector<uint8_t>> rows,
                  std::vector<uint8_t> repeats = {}, int16_t height = -1)
        : width_(width), bpp_(bpp), height_(height < 0 ? int16_t(rows.size()) : height),
          rows_(std::move(rows)), repeats_(std::move(repeats))
    {
        maxRowSize_ = width > 0 ? (bpp * uint32_t(width) + 7) / 8 : 0;
    }
    uint32_t ReadRow(uint8_t* buffer, uint16_t& number, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override
    {
        length = 0;
        if (next_ < rows_.size()) {
            std::memcpy(buffer, rows_[next_].data(), length = uint32_t(rows_[next_].size()));
            number = uint16_t(line_);
            repeat = next_ < repeats_.size() ? repeats_[next_] : 1;
            rows = 1;
            line_ += repeat;
            ++next_;
        }
        return 0;
    }
    // Skipped rows count one line each, whatever their repeat.
    void SkipRows(uint32_t count) override
    {
        skipped_ += count;
        line_ += count;
        next_ = std::min(rows_.size(), next_ + count);
    }
    uint32_t Skipped() const { return skipped_; }
    uint32_t GetMaxRowSize() override { return maxRowSize_; }
    void GetBounds(GRowBounds& b) override { b = {10, 0, int16_t(10 + width_), height_}; }
    uint32_t GetBitsPerPixel() override { return bpp_; }
    void SetMaxRowSize(uint32_t size) { maxRowSize_ = size; }

private:
    int16_t width_;
    uint32_t bpp_;
    int16_t height_;
    std::vector<std::vector<uint8_t>> rows_;
    std::vector<uint8_t> repeats_;
    size_t next_ = 0;
    uint32_t line_ = 0;
    uint32_t skipped_ = 0;
};
