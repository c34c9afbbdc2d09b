// A font reader over font bytes held in memory, with caching that can be switched off:
// the reader of the tests and benchmarks.
#pragma once

#include "graphics/GFontBlocks.h"
#include "graphics/GTTFontFileReader.h"

#include <vector>

class GTTMemoryFontFileReader : public GTTFontFileReader {
public:
    GTTMemoryFontFileReader(std::vector<uint8_t> font, uint32_t fileKey, int caching = 1);

    uint32_t ForwardFirst(uint32_t, uint32_t, uint32_t, uint32_t) override { return 0; }
    uint32_t ForwardSecond(uint32_t, uint32_t, uint32_t, uint32_t) override { return 0; }
    uint32_t ReadTable(uint32_t fontKey, uint32_t tag, GByteBuffer*& out, uint32_t length) override;
    uint32_t ReadBytes(uint32_t fontKey, uint32_t tag, uint32_t offset, uint8_t* destination, uint32_t count) override;
    uint32_t GetFileTableLength(uint32_t fontKey, uint32_t tag) override;
    int IsCachingEnabled() override { return caching_; }
    uint32_t ReadGlyph(uint32_t, uint16_t, uint32_t, uint32_t, uint32_t, GByteBuffer*& out, uint32_t) override
    {
        out = nullptr;
        return 0;
    }
    uint32_t ForwardThird(uint32_t) override { return 0; }

    void SetCaching(int caching) { caching_ = caching; }
    // The number of file reads so far, whole tables and pieces.
    uint32_t GetFileReads() const { return reads_; }

private:
    const GFontTableEntry* Find(uint32_t tag) const;

    std::vector<uint8_t> font_;
    std::vector<GFontTableEntry> entries_;
    int caching_;
    uint32_t reads_;
};
