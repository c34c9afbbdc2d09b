// A first row stage for tests: hands out the given rows, each with its repeat count, and
// counts the rows it was asked to skip.
#pragma once

#include "graphics/GRowCompressor.h"

#include <gtest/gtest.h>

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

// One row a stage delivered.
struct DeliveredRow {
    std::vector<uint8_t> bytes;
    uint16_t number;
    uint8_t repeat;
};

// Reads the stage until length 0, which must then stay 0; each row fits the stage's
// maximum. status gets the last answer.
inline std::vector<DeliveredRow> ReadAllRows(GRowCompressor& stage, uint32_t* status = nullptr)
{
    std::vector<DeliveredRow> out;
    std::vector<uint8_t> buffer(stage.GetMaxRowSize() + 8, 0xEE);
    for (bool ended = false;;) {
        uint16_t number = 0;
        uint32_t length = 0;
        uint8_t repeat = 1, rows = 1;
        const uint32_t result = stage.ReadRow(buffer.data(), number, length, repeat, rows);
        if (ended) {
            EXPECT_EQ(length, 0u);
            return out;
        }
        if (status)
            *status = result;
        if (length == 0) {
            ended = true;
            continue;
        }
        EXPECT_LE(length, stage.GetMaxRowSize());
        out.push_back({std::vector<uint8_t>(buffer.begin(), buffer.begin() + length), number, repeat});
    }
}

// Pixel x of a row packed most significant bit first, or of whole bytes high byte first.
inline uint32_t PixelAt(const std::vector<uint8_t>& row, uint32_t x, uint32_t bits)
{
    if (bits >= 8) {
        uint32_t v = 0;
        for (uint32_t k = 0; k < bits / 8; ++k)
            v = v << 8 | row[x * bits / 8 + k];
        return v;
    }
    const uint32_t bit = x * bits;
    return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
}

// Sets pixel x of a zero-filled row to v as pixel x of a zero-filled row.
inline void PutPixel(std::vector<uint8_t>& row, uint32_t x, uint32_t bits, uint32_t v)
{
    if (bits >= 8) {
        for (uint32_t k = 0; k < bits / 8; ++k)
            row[x * bits / 8 + k] = uint8_t(v >> (bits - 8 - 8 * k));
    } else {
        row[x * bits / 8] = uint8_t(row[x * bits / 8] | v << (8 - bits - x * bits % 8));
    }
}
