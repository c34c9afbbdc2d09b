// Concrete fonts, references, glyph sources and code maps for the tests: the page-drawing
// module supplies the real ones. The font and reference classes register with the
// factory under ids of their own.
#pragma once

#include "graphics/GCharCodeMap.h"
#include "graphics/GDownloadFace.h"
#include "graphics/GFont.h"
#include "graphics/GFontOwner.h"
#include "graphics/GFontReference.h"
#include "graphics/GGlyphSource.h"
#include "RecordingWriter.h"
#include "graphics/GTextString.h"
#include "graphics/GTextStringGraphic.h"

#include <map>
#include <string>
#include <vector>

// Glyph indices from a table; counts the lookups.
struct TestGlyphSource : GGlyphSource {
    std::map<uint32_t, uint16_t> indices;
    int runs = 0, lookups = 0;
    int32_t lastHeight = 0;

    int GetGlyphIndices(uint32_t, uint32_t first, uint32_t last, uint16_t* out) override
    {
        ++runs;
        for (uint32_t code = first; code <= last; ++code) {
            auto at = indices.find(code);
            if (at == indices.end())
                return 0;
            out[code - first] = at->second;
        }
        return 1;
    }
    int GetGlyphIndex(uint32_t, uint32_t code, uint16_t& index) override
    {
        ++lookups;
        auto at = indices.find(code);
        return at == indices.end() ? 0 : (index = at->second, 1);
    }
    uint32_t RequestGlyphs(uint32_t, int32_t height, uintptr_t, uintptr_t) override { return lastHeight = height, 7; }
    uint32_t RequestOutlines(uint32_t, int32_t height, uintptr_t, uintptr_t) override { return lastHeight = height, 8; }
};

// A font whose glyphs are a w x h pattern: pixel (c, r) of code k is set when
// (c + 2r + k) % 3 == 0. Registration adds the text's codes.
class TestFont : public GPersistent<TestFont, GFont, 0x7865> {
public:
    static constexpr const char* kClassName = "TestFont";
    TestFont* CreateNew() const override { return new TestFont; }
    TestFont* Copy() const override { return new TestFont(*this); }
    auto StoredForm() { return GNoFields(); }

    TestFont() = default;
    explicit TestFont(uint32_t key, const char* face = "Test Sans", uint16_t first = 0x20, uint16_t last = 0x7E)
        : GPersistent(key)
    {
        Metrics().faceName = face;
        Metrics().firstChar = first;
        Metrics().lastChar = last;
        Metrics().defaultChar = '?';
        Metrics().height = 100;
        Metrics().vertical[0] = 80, Metrics().vertical[1] = -20, Metrics().vertical[2] = 5;
        Metrics().horizontal[0] = 50, Metrics().horizontal[1] = -7;
        Metrics().weight = 400;
    }

    uint32_t GetGlyphImage(uint32_t code, uintptr_t, GGlyphMetrics& metrics, std::unique_ptr<uint8_t[]>& bitmap) override
    {
        images.push_back(code);
        metrics = GGlyphMetrics{3, -4, glyphWidth, glyphHeight};
        if (glyphWidth <= 0 || glyphHeight <= 0)
            return 0;
        const uint32_t rowBytes = (uint32_t(glyphWidth) + 31) / 32 * 4, bytes = rowBytes * uint32_t(glyphHeight);
        bitmap.reset(new uint8_t[bytes]());
        for (int r = 0; r < glyphHeight; ++r)
            for (int c = 0; c < glyphWidth; ++c)
                if ((c + 2 * r + int(code)) % 3 == 0)
                    bitmap[r * rowBytes + c / 8] |= uint8_t(0x80 >> (c % 8));
        return givenBytes ? givenBytes : bytes;
    }
    int RegisterDownload(uint32_t value, int kind) override { return downloads.push_back({value, kind}), 1; }
    int RegisterTextCodes(const GTextString& text, int kind) override
    {
        kinds.push_back(kind);
        return AddTextCodes(text) != 0 || text.GetLength() == 0;
    }
    int IsReady() override { return ready; }

    using GFont::AdoptGlyphSource;
    using GFont::Metrics;
    using GFont::WriterRecord;

    int16_t glyphWidth = 10, glyphHeight = 4;
    uint32_t givenBytes = 0; // a size other than the bitmap's, to test what is trusted
    int ready = 1;
    std::vector<uint32_t> images;
    std::vector<int> kinds;
    std::vector<std::pair<uint32_t, int>> downloads;
};

class TestFontReference : public GPersistent<TestFontReference, GFontReference, 0x7866> {
public:
    static constexpr const char* kClassName = "TestFontReference";
    TestFontReference* CreateNew() const override { return new TestFontReference; }
    TestFontReference* Copy() const override { return new TestFontReference(*this); }
    auto StoredForm() { return GNoFields(); }

    TestFontReference() = default;
    TestFontReference(GFont* font, GFontOwner* owner, int size = 2) : GPersistent(font, owner), size(size) {}
    int GetCharacterSize() const override { return size; }

    int size = 2;
};

// Compact codes counted from 256, skipping the codes the test reserves.
struct TestCodeMap : GCharCodeMap {
    void AdvanceCode() override
    {
        ++advances;
        SetNextCode(uint16_t(GetNextCode() + 1));
    }
    int advances = 0;
};

