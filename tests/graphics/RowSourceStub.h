// A first row stage for tests: hands out the given rows, each with its repeat count.
#pragma once

#include "graphics/GRowCompressor.h"

#include <algorithm>
#include <cstring>
#include <vector>

class RowSourceStub : public GRowCompressor {
public:
    RowSourceStub(int16_t width, uint32_t bitsPerPixel, std::vector<std::vector<uint8_t>> rows,
                  std::vector<uint8_t> repeats = {})
        : width_(width), bitsPerPixel_(bitsPerPixel), rows_(std::move(rows)),
          repeats_(std::move(repeats))
    {
        maxRowSize_ = (bitsPerPixel * uint32_t(std::max<int16_t>(width, 0)) + 7) / 8;
    }

    uint32_t ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                     uint8_t& rows) override
    {
        length = 0;
        if (next_ >= rows_.size())
            return 0;
        const std::vector<uint8_t>& row = rows_[next_];
        std::memcpy(buffer, row.data(), row.size());
        length = uint32_t(row.size());
        rowNumber = uint16_t(line_);
        repeat = next_ < repeats_.size() ? repeats_[next_] : 1;
        rows = 1;
        line_ += repeat;
        ++next_;
        return 0;
    }
    uint32_t GetMaxRowSize() override { return maxRowSize_; }
    void GetBounds(GRowBounds& bounds) override
    {
        bounds.left = 10;
        bounds.top = 0;
        bounds.right = int16_t(10 + width_);
        bounds.bottom = int16_t(rows_.size());
    }
    uint32_t GetBitsPerPixel() override { return bitsPerPixel_; }
    void SetMaxRowSize(uint32_t size) { maxRowSize_ = size; }

private:
    int16_t width_;
    uint32_t bitsPerPixel_;
    std::vector<std::vector<uint8_t>> rows_;
    std::vector<uint8_t> repeats_;
    size_t next_ = 0;
    uint32_t line_ = 0;
};
