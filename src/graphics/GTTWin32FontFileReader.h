// The font reader over a font file on disk. Its stored form is the reader's own: a
// reader read back from a font spool file has no file and answers from its caches.
#pragma once

#include "foundation/RWWString.h"
#include "graphics/GFontBlocks.h"
#include "graphics/GTTFontFileReader.h"

#include <vector>

class GTTWin32FontFileReader : public GPersistent<GTTWin32FontFileReader, GTTFontFileReader, 857> {
public:
    static constexpr const char* kClassName = "GTTWin32FontFileReader";
    auto StoredForm() { return GNoFields(); }

    GTTWin32FontFileReader();
    // Opens the file and reads its table directory; a file that cannot be opened or
    // read leaves a reader with no tables.
    GTTWin32FontFileReader(const RWWString& path, uint32_t fileKey);
    ~GTTWin32FontFileReader() override;

    GTTWin32FontFileReader* CreateNew() const override;
    // No copy: a reader is shared through the pool, never duplicated.
    GTTWin32FontFileReader* Copy() const override { return nullptr; }

    uint32_t ForwardFirst(uint32_t, uint32_t, uint32_t, uint32_t) override { return 0; }
    uint32_t ForwardSecond(uint32_t, uint32_t, uint32_t, uint32_t) override { return 0; }
    uint32_t ReadTable(uint32_t fontKey, uint32_t tag, GByteBuffer*& out, uint32_t length) override;
    uint32_t ReadBytes(uint32_t fontKey, uint32_t tag, uint32_t offset, uint8_t* destination, uint32_t count) override;
    uint32_t GetFileTableLength(uint32_t fontKey, uint32_t tag) override;
    int IsCachingEnabled() override { return 1; }
    uint32_t ReadGlyph(uint32_t, uint16_t, uint32_t, uint32_t, uint32_t, GByteBuffer*& out, uint32_t) override
    {
        out = nullptr;
        return 0;
    }
    uint32_t ForwardThird(uint32_t) override { return 0; }

private:
    const GFontTableEntry* Find(uint32_t tag) const;
    bool ReadAt(uint32_t offset, uint8_t* destination, uint32_t count);

    void* file_;
    std::vector<GFontTableEntry> entries_;
};
