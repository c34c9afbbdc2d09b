// A font presented at other x and y scales: its metrics and glyph bitmaps scaled. Used
// by the writers for text drawn at a size the font was not made for.
#pragma once

#include "graphics/GFont.h"

class GFontReference;

class GScaledFont {
public:
    // The largest scaled glyph bitmap in bytes; a larger one is not made.
    static constexpr uint32_t kMaxBitmapBytes = 4u << 20;

    // A scale that is 0, negative or not a finite number is taken as 1.0.
    GScaledFont(GFontReference* font, float xScale, float yScale);
    GScaledFont(const GScaledFont&) = delete;
    GScaledFont& operator=(const GScaledFont&) = delete;
    virtual ~GScaledFont();

    // The font's own metric record (null without a font).
    const GFontMetrics* GetFontInfo() const;
    uint16_t GetValueA() const;
    uint16_t GetValueB() const;
    uint16_t GetFirstChar() const;
    uint16_t GetLastChar() const;
    const RWCString& GetFaceName() const;
    float GetThirdFactor() const;
    // The font's height times the y scale, truncated.
    int16_t GetHeight() const;
    // The font's metric record with the vertical metrics and the height times the y
    // scale and the horizontal metrics times the x scale (truncated to 16 bits).
    void GetMetrics(GFontMetrics& out) const;
    // The font's glyph image scaled by pixel replication; its metrics scaled and the
    // width rounded up to a multiple of 32. Answers the new bitmap's byte size (0 when
    // there is none, or the scaled bitmap would exceed the bound).
    uint32_t GetGlyphImage(uint32_t code, uintptr_t argument, GGlyphMetrics& metrics,
                           std::unique_ptr<uint8_t[]>& bitmap);

    float GetXScale() const { return xScale_; }
    float GetYScale() const { return yScale_; }

private:
    GFontReference* font_;
    float xScale_;
    float yScale_;
};
