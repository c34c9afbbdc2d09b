#include "graphics/GDitherRowStage.h"

#include "graphics/GDitherMatrix.h"
#include "graphics/GPaletteTable.h"
#include "graphics/GRGBColor.h"

#include <algorithm>
#include <new>

namespace {

uint8_t DefaultLevel(uint8_t red, uint8_t green, uint8_t blue)
{
    return uint8_t((59u * green + 11u * blue + 30u * red) / 100u);
}

uint32_t PositiveModulo(int32_t value, uint32_t modulus)
{
    const int32_t m = int32_t(modulus);
    return uint32_t(((value % m) + m) % m);
}

} // namespace

GDitherRowStage::GDitherRowStage(const GRowBounds& rectangle, const GDitherMatrix* matrix,
                                 GBitmapImp::GrayConverter level)
    : GValueRowStage(uint32_t(uint16_t(rectangle.left)) | uint32_t(uint16_t(rectangle.top)) << 16),
      matrix_(matrix), level_(level)
{
    if (matrix_) {
        matrixWidth_ = matrix_->GetWidth();
        matrixHeight_ = matrix_->GetHeight();
    }
    const GRGBColor black(0, 0, 0, 255), white(255, 255, 255, 255);
    palette_.reset(new GPaletteTable(std::vector<const GColorBase*>{&black, &white}));
}

GDitherRowStage::~GDitherRowStage() = default;

uint32_t GDitherRowStage::Begin()
{
    ready_ = 0;
    pending_ = 0;
    if (!source_ || !matrix_ || matrixWidth_ == 0 || matrixHeight_ == 0)
        return 0;
    bitsPerPixel_ = source_->GetBitsPerPixel() & 0xFF;
    if (bitsPerPixel_ != 1 && bitsPerPixel_ != 4 && bitsPerPixel_ != 8)
        return 0;
    source_->GetBounds(bounds_);
    const int32_t width = int16_t(bounds_.right - bounds_.left);
    width_ = width > 0 ? uint32_t(width) : 0;
    const uint32_t sourceRowBytes = (width_ * bitsPerPixel_ + 7) / 8;
    if (!Allocate(row_, std::max(source_->GetMaxRowSize(), sourceRowBytes)) || !Allocate(thresholds_, matrixWidth_))
        return 0;

    // Levels by pixel value. Without a palette the values are gray levels spread over
    // 0 to 255 whatever the depth, so a 1-bit 1 is white and a 4-bit 15 is white.
    const uint32_t values = 1u << bitsPerPixel_;
    const GPaletteTable* palette = source_->GetPalette();
    for (uint32_t i = 0; i < 256; ++i)
        levels_[i] = 0;
    if (!palette) {
        for (uint32_t i = 0; i < values; ++i)
            levels_[i] = uint8_t(i * 255 / (values - 1));
    } else {
        for (uint32_t i = 0; i < values && i < palette->GetCount(); ++i) {
            const GColorBase* color = palette->GetColor(i);
            if (!color)
                continue;
            alignas(GRGBColor) unsigned char storage[sizeof(GRGBColor)];
            color->CopyAsRGB(reinterpret_cast<GRGBColor*>(storage));
            GRGBColor* rgb = std::launder(reinterpret_cast<GRGBColor*>(storage));
            levels_[i] = (level_ ? level_ : DefaultLevel)(rgb->GetRed(), rgb->GetGreen(), rgb->GetBlue());
            rgb->~GRGBColor();
        }
    }
    maxRowSize_ = (width_ + 7) / 8;
    startColumn_ = PositiveModulo(bounds_.left, matrixWidth_);
    rowOffset_ = PositiveModulo(bounds_.top, matrixHeight_);
    ready_ = 1;
    return 1;
}

uint32_t GDitherRowStage::ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                                  uint8_t& rows)
{
    length = 0;
    if (!ready_)
        return 0;
    uint32_t status = 0;
    if (pending_) {
        --pending_;
        rowNumber = pendingRow_++;
        repeat = 1;
        rows = 1;
    } else {
        status = source_->ReadRow(row_.data(), rowNumber, length, repeat, rows);
        if (length == 0)
            return status;
        if (repeat > 1) {
            pending_ = repeat - 1u;
            pendingRow_ = uint16_t(rowNumber + 1);
            repeat = 1;
        }
    }
    Convert(rowNumber, buffer);
    length = maxRowSize_;
    return status;
}

void GDitherRowStage::Convert(uint16_t rowNumber, uint8_t* out)
{
    matrix_->CopyRow(thresholds_.data(), startColumn_, (rowNumber + rowOffset_) % matrixHeight_);
    const uint8_t* in = row_.data();
    const uint8_t* threshold = thresholds_.data();
    uint32_t column = 0;
    uint8_t byte = 0;
    uint32_t x = 0;
    for (; x < width_; ++x) {
        uint32_t value;
        if (bitsPerPixel_ == 8)
            value = in[x];
        else if (bitsPerPixel_ == 4)
            value = (in[x / 2] >> ((x & 1) ? 0 : 4)) & 0x0F;
        else
            value = (in[x / 8] >> (7 - x % 8)) & 1;
        if (levels_[value] >= threshold[column])
            byte = uint8_t(byte | (0x80 >> (x % 8)));
        if (++column == matrixWidth_)
            column = 0;
        if (x % 8 == 7) {
            out[x / 8] = byte;
            byte = 0;
        }
    }
    if (x % 8 != 0)
        out[x / 8] = byte;
}
