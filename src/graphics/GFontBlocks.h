// Byte blocks of the font caches: copies and comparisons (their stored form is the
// persistent base's GBlock). Also the big-endian decoding of font bytes.
#pragma once

#include "foundation/RWBinaryFile.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "model/GStoredCounts.h"

#include <cstdint>
#include <new>

// A copy of length bytes (null for length 0 or when out of memory).
uint8_t* GCopyBlock(const uint8_t* block, uint32_t length);
bool GSameBytes(const uint8_t* a, const uint8_t* b, uint32_t length);

inline uint16_t GBigEndian16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint32_t GBigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

#include <vector>

// One table of a font's table directory.
struct GFontTableEntry {
    uint32_t tag; // the four tag bytes in file order, as a little-endian word
    uint32_t offset;
    uint32_t length;
};

// The table directory at the start of a font of fileSize bytes: the header's count
// of entries must fit in header, and entries reaching past the file are left out.
// The number of directory bytes needed when header is too short: the caller reads that
// many and asks again. 0 when the directory was read (or is unusable: entries empty).
uint32_t GParseFontDirectory(const uint8_t* header, uint32_t length, uint64_t fileSize,
                             std::vector<GFontTableEntry>& entries);
