#include "graphics/GBitmapRowStage.h"

#include "graphics/GRGBColor.h"

#include <algorithm>
#include <new>

namespace {

int16_t Clamp(int16_t v, int32_t low, int32_t high) { return int16_t(std::max(low, std::min<int32_t>(v, high))); }

// The colour's components through the conversion every colour offers.
void Components(const GColorBase& color, uint8_t& red, uint8_t& green, uint8_t& blue)
{
    alignas(GRGBColor) unsigned char storage[sizeof(GRGBColor)];
    color.CopyAsRGB(reinterpret_cast<GRGBColor*>(storage));
    GRGBColor* made = std::launder(reinterpret_cast<GRGBColor*>(storage));
    red = made->GetRed(), green = made->GetGreen(), blue = made->GetBlue();
    made->~GRGBColor();
}

} // namespace

GBitmapRowStage::GBitmapRowStage(const GRowBounds& rectangle, const GBitmap& bitmap, uint32_t sourceKind)
    : bitmap_(bitmap), sourceKind_(sourceKind)
{
    const bool toGray = sourceKind == 0 || sourceKind == 1 || sourceKind == 4;
    const uint32_t reported = bitmap_.GetBitsPerPixel();
    bitsPerPixel_ = uint8_t(reported);
    if (toGray && reported == 24) {
        noPalette_ = 1;
        bitsPerPixel_ = 8;
    }
    complement_ = sourceKind == 4 || (sourceKind == 1 && reported == 24);

    const GBitmapImp* imp = bitmap_.GetImp();
    const int32_t width = imp ? std::max(0, imp->GetWidth()) : 0;
    const int32_t height = imp ? std::max(0, imp->GetHeight()) : 0;
    rect_.left = Clamp(rectangle.left, 0, width);
    rect_.right = Clamp(rectangle.right, rect_.left, width);
    rect_.top = Clamp(rectangle.top, 0, height);
    rect_.bottom = Clamp(rectangle.bottom, rect_.top, height);
    current_ = rect_.top;
    maxRowSize_ = bitmap_.GetRowSize(rect_.left, rect_.right, sourceKind_);

    const GPaletteTable* palette = bitmap_.GetPalette();
    if (sourceKind == 1 && palette) {
        inverted_.reset(new GPaletteTable(std::vector<const GColorBase*>()));
        for (uint32_t i = 0; i < palette->GetCount(); ++i) {
            uint8_t r = 0, g = 0, b = 0;
            if (const GColorBase* color = palette->GetColor(i))
                Components(*color, r, g, b);
            inverted_->AddColor(new GRGBColor(uint8_t(255 - r), uint8_t(255 - g), uint8_t(255 - b), 255));
        }
    }
}

GBitmapRowStage::~GBitmapRowStage() = default;

uint32_t GBitmapRowStage::ReadRow(uint8_t* buffer, uint16_t& rowNumber, uint32_t& length, uint8_t& repeat,
                                  uint8_t& rows)
{
    repeat = 1;
    rows = 1;
    rowNumber = outputRow_++;
    length = 0;
    if (current_ >= rect_.bottom)
        return 0;
    length = bitmap_.GetRow(buffer, rect_.left, rect_.right, current_, sourceKind_);
    ++current_;
    if (complement_) {
        for (uint32_t i = 0; i < length; ++i)
            buffer[i] = uint8_t(255 - buffer[i]);
    }
    return 0;
}

void GBitmapRowStage::SkipRows(uint32_t count)
{
    if (count == 0)
        return;
    current_ = int32_t(std::min<int64_t>(int64_t(current_) + count, rect_.bottom));
    outputRow_ = uint16_t(outputRow_ + count);
}

const GPaletteTable* GBitmapRowStage::GetPalette()
{
    if (noPalette_)
        return nullptr;
    if (sourceKind_ == 1 && inverted_)
        return inverted_.get();
    return bitmap_.GetPalette();
}
