#include "graphics/GDitherMatrix.h"

#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

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

bool GDitherMatrix::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GDitherMatrix* m = GSameClass<GDitherMatrix>(this, other);
    return m && GObjectBase::IsSame(other) && m->width_ == width_ &&
           m->height_ == height_ && m->xResolution_ == xResolution_ && m->yResolution_ == yResolution_ &&
           m->optionA_ == optionA_ && m->optionB_ == optionB_ && m->level_ == level_ && m->extra_ == extra_ &&
           m->thresholds_ == thresholds_;
}

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

uint32_t GDitherMatrix::FieldsSize() const { return 22 + uint32_t(thresholds_.size()); }

template <class Out>
void GDitherMatrix::WriteFields(Out& out) const
{
    GWriteField(out, kStoredVersion);
    GWriteField(out, uint16_t(width_));
    GWriteField(out, uint16_t(height_));
    for (uint8_t byte : thresholds_)
        GWriteField(out, byte);
    GWriteField(out, xResolution_);
    GWriteField(out, extra_);
    GWriteField(out, yResolution_);
    GWriteField(out, uint16_t(optionA_));
    GWriteField(out, uint16_t(optionB_));
    GWriteField(out, level_);
}

// Sizes and options are bytes in memory: a stored value above 255, or more threshold
// bytes than the input holds, fails the restore and keeps the matrix as it was.
template <class In>
void GDitherMatrix::ReadFields(In& in)
{
    uint32_t version = 0;
    uint16_t width = 0, height = 0;
    if (!GReadField(in, version) || version != kStoredVersion || !GReadField(in, width) || !GReadField(in, height))
        return;
    if (width > 255 || height > 255) {
        GRefuseStored(in);
        return;
    }
    const uint32_t count = uint32_t(width) * height;
    if (!GCheckStoredCount(in, count, 1))
        return;
    std::vector<uint8_t> bytes(count);
    for (uint8_t& byte : bytes)
        if (!GReadField(in, byte))
            return;
    uint16_t xResolution = 0, yResolution = 0, optionA = 0, optionB = 0, level = 0;
    uint32_t extra = 0;
    if (!GReadField(in, xResolution) || !GReadField(in, extra) || !GReadField(in, yResolution) ||
        !GReadField(in, optionA) || !GReadField(in, optionB) || !GReadField(in, level))
        return;
    if (optionA > 255 || optionB > 255) {
        GRefuseStored(in);
        return;
    }
    width_ = uint8_t(width);
    height_ = uint8_t(height);
    thresholds_ = std::move(bytes);
    xResolution_ = xResolution;
    extra_ = extra;
    yResolution_ = yResolution;
    optionA_ = uint8_t(optionA);
    optionB_ = uint8_t(optionB);
    level_ = level;
    cursorValid_ = false;
}

template void GDitherMatrix::ReadFields(RWBinaryFile&);
template void GDitherMatrix::ReadFields(RWDataInStream&);
template void GDitherMatrix::WriteFields(RWBinaryFile&) const;
template void GDitherMatrix::WriteFields(RWDataOutStream&) const;

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
