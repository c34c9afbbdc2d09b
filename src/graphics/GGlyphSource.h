// Where a font obtains its glyph data: glyph indices of codes and two glyph requests,
// each naming the font file by its key. The system services make one for each new font
// (or none); the page-drawing module supplies the concrete class.
#pragma once

// First, so that every file sees the same name for GetGlyphIndices, which the
// platform's headers also define as a macro.
#include <windows.h>

#include "model/GPersistent.h"

class GGlyphSource : public GStoredLevel<GGlyphSource, GObjectBase, 866> {
public:
    GGlyphSource();
    ~GGlyphSource() override;

    // The glyph indices of the codes first to last into out (last - first + 1 entries):
    // non-zero on success.
    virtual int GetGlyphIndices(uint32_t fileKey, uint32_t first, uint32_t last, uint16_t* out) = 0;
    // The glyph index of one code: non-zero on success.
    virtual int GetGlyphIndex(uint32_t fileKey, uint32_t code, uint16_t& index) = 0;
    virtual uint32_t RequestGlyphs(uint32_t fileKey, int32_t height, uintptr_t first, uintptr_t second) = 0;
    virtual uint32_t RequestOutlines(uint32_t fileKey, int32_t height, uintptr_t first, uintptr_t second) = 0;

    // Its version word only.
    auto StoredForm() { return GFields(); }
};
