#include "graphics/GDitherMatrix.h"

#include <algorithm>

GDitherMatrix::GDitherMatrix()
    : width_(0), height_(0), xResolution_(0), yResolution_(0), cursorColumn_(0), cursorRow_(0), cursorValid_(false),
      optionA_(0), optionB_(0), level_(0), extra_(0)
{
}

GDitherMatrix::GDitherMatrix(uint8_t width, uint8_t height, const uint8_t* thresholds, uint16_t resolution,
                             const long& id)
    : GDitherMatrix(width, height, thresholds, resolution, resolution, 0, 0, 0, id)
{
}

GDitherMatrix::GDitherMatrix(uint8_t width, uint8_t height, const uint8_t* thresholds, uint16_t xResolution,
                             uint16_t yResolution, uint8_t optionA, uint8_t optionB, uint16_t level, const long& id)
    : GPersistent(id), width_(width), height_(height), thresholds_(size_t(width) * height),
      xResolution_(xResolution), yResolution_(yResolution), cursorColumn_(0), cursorRow_(0), cursorValid_(false),
      optionA_(optionA), optionB_(optionB), level_(level), extra_(0)
{
    if (thresholds)
        std::copy(thresholds, thresholds + thresholds_.size(), thresholds_.begin());
}

GDitherMatrix::~GDitherMatrix() {}

uint8_t GDitherMatrix::GetThreshold(uint32_t row, uint32_t column) const
{
    if (row >= height_ || column >= width_)
        return 0;
    return thresholds_[size_t(row) * width_ + column];
}

void GDitherMatrix::SetThreshold(uint32_t row, uint32_t column, uint8_t value)
{
    if (row < height_ && column < width_)
        thresholds_[size_t(row) * width_ + column] = value;
}

bool GDitherMatrix::BeginRow(uint32_t column, uint32_t row)
{
    cursorValid_ = width_ != 0 && row < height_;
    if (cursorValid_) {
        cursorRow_ = uint8_t(row);
        cursorColumn_ = uint8_t(column % width_);
    }
    return cursorValid_;
}

uint8_t GDitherMatrix::NextThreshold()
{
    if (!cursorValid_ || cursorRow_ >= height_ || cursorColumn_ >= width_)
        return 0;
    const uint8_t value = thresholds_[size_t(cursorRow_) * width_ + cursorColumn_];
    cursorColumn_ = uint8_t(cursorColumn_ + 1 == width_ ? 0 : cursorColumn_ + 1);
    return value;
}

bool GDitherMatrix::CopyRow(uint8_t* buffer, uint32_t column, uint32_t row) const
{
    if (!buffer || width_ == 0 || row >= height_)
        return false;
    column %= width_;
    const uint8_t* start = thresholds_.data() + size_t(row) * width_;
    std::copy(start + column, start + width_, buffer);
    std::copy(start, start + column, buffer + (width_ - column));
    return true;
}

void GDitherMatrix::CopyAll(uint8_t* buffer) const
{
    if (buffer)
        std::copy(thresholds_.begin(), thresholds_.end(), buffer);
}

namespace {

bool OptionMatches(uint32_t asked, uint32_t held) { return asked == 0 || held == 0 || asked == held; }

} // namespace

const GDitherMatrix* FindDitherMatrix(uint16_t xResolution, uint16_t yResolution, uint8_t optionA, uint8_t optionB,
                                      uint16_t level, const std::vector<const GDitherMatrix*>& list,
                                      int32_t startIndex, bool strict, int32_t* index)
{
    if (index)
        *index = -1;
    for (size_t i = size_t(std::max<int64_t>(int64_t(startIndex) + 1, 0)); i < list.size(); ++i) {
        const GDitherMatrix* m = list[i];
        if (!m || m->GetId() != xResolution || m->GetYResolution() != yResolution ||
            !OptionMatches(optionA, m->GetOptionA()) || !OptionMatches(optionB, m->GetOptionB()))
            continue;
        if (strict ? m->GetLevel() != 65535 : !OptionMatches(level, m->GetLevel()))
            continue;
        if (index)
            *index = int32_t(i);
        return m;
    }
    return nullptr;
}
