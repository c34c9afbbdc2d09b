#include "graphics/GScaledFont.h"

#include "graphics/GFontReference.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

float SaneScale(float scale) { return std::isfinite(scale) && scale > 0.0f ? scale : 1.0f; }

int16_t Scaled(int32_t value, float scale) { return int16_t(int32_t(float(value) * scale)); }

// Bytes of one 1-bit row of a width, padded to 32 bits.
uint32_t RowBytes(uint32_t width) { return (width + 31) / 32 * 4; }

} // namespace

GScaledFont::GScaledFont(GFontReference* font, float xScale, float yScale)
    : font_(font), xScale_(SaneScale(xScale)), yScale_(SaneScale(yScale))
{
}

GScaledFont::~GScaledFont() {}

const GFontMetrics* GScaledFont::GetFontInfo() const { return font_ ? font_->GetMetrics() : nullptr; }
uint16_t GScaledFont::GetValueA() const { return font_ ? font_->GetValueA() : 0; }
uint16_t GScaledFont::GetValueB() const { return font_ ? font_->GetValueB() : 0; }
uint16_t GScaledFont::GetFirstChar() const { return font_ ? font_->GetFirstChar() : 0; }
uint16_t GScaledFont::GetLastChar() const { return font_ ? font_->GetLastChar() : 0; }
float GScaledFont::GetThirdFactor() const { return font_ ? font_->GetThirdFactor() : 0.0f; }

const RWCString& GScaledFont::GetFaceName() const
{
    static const RWCString none;
    return font_ ? font_->GetFaceName() : none;
}

int16_t GScaledFont::GetHeight() const { return font_ ? Scaled(font_->GetHeight(), yScale_) : 0; }

void GScaledFont::GetMetrics(GFontMetrics& out) const
{
    const GFontMetrics* metrics = GetFontInfo();
    if (!metrics)
        return;
    out = *metrics;
    if (xScale_ == 1.0f && yScale_ == 1.0f)
        return;
    for (int16_t& vertical : out.vertical)
        vertical = Scaled(vertical, yScale_);
    out.height = Scaled(out.height, yScale_);
    for (int16_t& horizontal : out.horizontal)
        horizontal = Scaled(horizontal, xScale_);
}

uint32_t GScaledFont::GetGlyphImage(uint32_t code, uintptr_t argument, GGlyphMetrics& metrics,
                                    std::unique_ptr<uint8_t[]>& bitmap)
{
    bitmap.reset();
    if (!font_)
        return 0;
    if (xScale_ == 1.0f && yScale_ == 1.0f)
        return font_->GetGlyphImage(code, argument, metrics, bitmap);
    std::unique_ptr<uint8_t[]> source;
    const uint32_t sourceBytes = font_->GetGlyphImage(code, argument, metrics, source);
    const uint32_t w = metrics.width > 0 ? uint32_t(metrics.width) : 0;
    const uint32_t h = metrics.height > 0 ? uint32_t(metrics.height) : 0;
    metrics.originX = Scaled(metrics.originX, xScale_);
    metrics.originY = Scaled(metrics.originY, yScale_);
    const double wideWidth = std::floor(double(w) * xScale_);
    const double wideRows = std::floor(double(h) * yScale_);
    if (!source)
        return metrics.width = Scaled(metrics.width, xScale_), metrics.height = Scaled(metrics.height, yScale_), 0;
    // A bitmap past the bound (or past what the 16-bit metrics can say) is not made.
    if (wideWidth > 0x7FE0 || wideRows > 0x7FFF ||
        RowBytes(uint32_t(wideWidth)) * wideRows > double(kMaxBitmapBytes))
        return metrics = GGlyphMetrics{0, 0, 0, 0}, 0;
    const uint32_t width = uint32_t(wideWidth), rows = uint32_t(wideRows);
    const uint32_t rowBytes = RowBytes(width), sourceRowBytes = RowBytes(w);
    const uint32_t bytes = rowBytes * rows;
    // The source is read only within w x h and within the bytes the font gave.
    const uint32_t sourceRows = sourceRowBytes ? std::min<uint32_t>(h, sourceBytes / sourceRowBytes) : 0;
    std::unique_ptr<uint8_t[]> scaled(bytes ? new (std::nothrow) uint8_t[bytes]() : nullptr);
    if (bytes && !scaled)
        return metrics = GGlyphMetrics{0, 0, 0, 0}, 0;
    for (uint32_t r = 0; r < sourceRows; ++r) {
        const uint32_t rowFrom = uint32_t(double(r) * yScale_);
        const uint32_t rowTo = std::min<uint32_t>(rows, uint32_t(double(r + 1) * yScale_));
        for (uint32_t c = 0; c < w; ++c) {
            if (!(source[r * sourceRowBytes + c / 8] & (0x80 >> (c % 8))))
                continue;
            const uint32_t colFrom = uint32_t(double(c) * xScale_);
            const uint32_t colTo = std::min<uint32_t>(width, uint32_t(double(c + 1) * xScale_));
            for (uint32_t y = rowFrom; y < rowTo; ++y)
                for (uint32_t x = colFrom; x < colTo; ++x)
                    scaled[y * rowBytes + x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    metrics.width = int16_t((width + 31) / 32 * 32);
    metrics.height = int16_t(rows);
    bitmap = std::move(scaled);
    return bytes;
}
