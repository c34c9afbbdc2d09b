#include "graphics/GFontBlocks.h"

#include <cstring>

uint8_t* GCopyBlock(const uint8_t* block, uint32_t length)
{
    if (length == 0 || !block)
        return nullptr;
    uint8_t* copy = new (std::nothrow) uint8_t[length];
    if (copy)
        std::memcpy(copy, block, length);
    return copy;
}

bool GSameBytes(const uint8_t* a, const uint8_t* b, uint32_t length)
{
    return length == 0 || a == b || (a && b && std::memcmp(a, b, length) == 0);
}

uint32_t GParseFontDirectory(const uint8_t* header, uint32_t length, uint64_t fileSize,
                             std::vector<GFontTableEntry>& entries)
{
    entries.clear();
    if (length < 12)
        return 12;
    const uint32_t tables = GBigEndian16(header + 4);
    const uint32_t needed = 12 + 16 * tables;
    if (length < needed)
        return needed;
    for (uint32_t i = 0; i < tables; ++i) {
        const uint8_t* record = header + 12 + 16 * i;
        const GFontTableEntry entry{uint32_t(record[0]) | uint32_t(record[1]) << 8 | uint32_t(record[2]) << 16 |
                                        uint32_t(record[3]) << 24,
                                    GBigEndian32(record + 8), GBigEndian32(record + 12)};
        if (uint64_t(entry.offset) + entry.length <= fileSize)
            entries.push_back(entry);
    }
    return 0;
}
