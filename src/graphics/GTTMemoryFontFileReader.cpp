#include "graphics/GTTMemoryFontFileReader.h"

#include <cstring>
#include <new>

GTTMemoryFontFileReader::GTTMemoryFontFileReader(std::vector<uint8_t> font, uint32_t fileKey, int caching)
    : GTTFontFileReader(fileKey), font_(std::move(font)), caching_(caching), reads_(0)
{
    GParseFontDirectory(font_.data(), uint32_t(font_.size()), font_.size(), entries_);
}

const GFontTableEntry* GTTMemoryFontFileReader::Find(uint32_t tag) const
{
    for (const GFontTableEntry& entry : entries_)
        if (entry.tag == tag)
            return &entry;
    return nullptr;
}

uint32_t GTTMemoryFontFileReader::GetFileTableLength(uint32_t, uint32_t tag)
{
    const GFontTableEntry* entry = Find(tag);
    return entry ? entry->length : 0;
}

uint32_t GTTMemoryFontFileReader::ReadTable(uint32_t, uint32_t tag, GByteBuffer*& out, uint32_t length)
{
    out = nullptr;
    const GFontTableEntry* entry = Find(tag);
    if (!entry)
        return 0;
    ++reads_;
    const uint32_t n = length < entry->length ? length : entry->length;
    uint8_t* bytes = n ? new (std::nothrow) uint8_t[n] : nullptr;
    if (n && !bytes)
        return 0;
    if (n)
        std::memcpy(bytes, font_.data() + entry->offset, n);
    out = new (std::nothrow) GByteBuffer(bytes, n, 1);
    if (!out)
        delete[] bytes;
    return out ? n : 0;
}

uint32_t GTTMemoryFontFileReader::ReadBytes(uint32_t, uint32_t tag, uint32_t offset, uint8_t* destination,
                                            uint32_t count)
{
    const GFontTableEntry* entry = Find(tag);
    if (!entry || uint64_t(offset) + count > entry->length)
        return 0;
    ++reads_;
    std::memcpy(destination, font_.data() + entry->offset + offset, count);
    return count;
}
