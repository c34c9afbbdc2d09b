// The one rule for a size taken from data (a font's glyph offsets, a bitmap's bounds):
// it is checked against what the data can supply and against a bound for its kind
// before anything is allocated for it. The module's new handler ends the host process
// on a failed allocation, even of a nothrow new, so a size that is not checked first is
// never asked for.
#pragma once

#include <cstdint>

// Decoded bitmaps (run-coded pixels expanded to plain rows) are never larger than this.
constexpr uint64_t kMaxDecodedBitmapBytes = uint64_t(64) << 20;
// One glyph's outline data: far beyond any real glyph, far below what hurts.
constexpr uint64_t kMaxGlyphBytes = uint64_t(16) << 20;

// True when size bytes may be allocated: no more than the data can supply and no more
// than the bound for their kind.
constexpr bool GSizeFromDataFits(uint64_t size, uint64_t supplied, uint64_t bound)
{
    return size <= supplied && size <= bound;
}
