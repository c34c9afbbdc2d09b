// Test helpers that read a disk file manager's file from outside: its words, its header
// and the free extents of every list block round the ring.
#pragma once

#include "FileBytes.h"

#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace disktest {

inline uint32_t Word(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint32_t v = 0;
    if (offset + 4 <= bytes.size())
        std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

struct Patch {
    size_t offset;
    uint32_t value;
};

// Overwrites 32-bit words of an image, growing it when a word lies past its end.
inline void PatchWords(std::vector<uint8_t>& bytes, const std::vector<Patch>& patches)
{
    for (const Patch& p : patches) {
        if (p.offset + 4 > bytes.size())
            bytes.resize(p.offset + 4);
        std::memcpy(bytes.data() + p.offset, &p.value, 4);
    }
}

// Overwrites 32-bit words of a closed file.
inline void PatchWords(const std::string& name, const std::vector<Patch>& patches)
{
    std::vector<uint8_t> bytes = FileBytes(name);
    PatchWords(bytes, patches);
    WriteFileBytes(name, bytes);
}

inline void PatchWord(const std::string& name, size_t offset, uint32_t value) { PatchWords(name, {{offset, value}}); }

struct Extent {
    uint32_t offset;
    uint32_t length;
    bool operator==(const Extent& o) const { return offset == o.offset && length == o.length; }
    bool operator<(const Extent& o) const { return offset < o.offset; }
};

struct ListImage {
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t blockSize = 0;
    std::vector<uint32_t> blocks;       // the ring from 12, in link order
    std::vector<uint32_t> counts;       // entries of each block
    std::vector<Extent> extents;        // every free extent, block by block
    uint64_t FreeBytes() const
    {
        uint64_t sum = 0;
        for (const Extent& e : extents)
            sum += e.length;
        return sum;
    }
};

inline ListImage ReadLists(const std::string& name)
{
    const std::vector<uint8_t> bytes = FileBytes(name);
    ListImage image;
    image.start = Word(bytes, 0);
    image.end = Word(bytes, 4);
    image.blockSize = Word(bytes, 8);
    const uint32_t capacity = image.blockSize == 268 ? 32 : 10;
    uint32_t block = 12;
    for (int guard = 0; guard < 10000; ++guard) {
        image.blocks.push_back(block);
        const uint32_t count = Word(bytes, block + 4 + 8 * capacity);
        image.counts.push_back(count);
        for (uint32_t i = 0; i < count && i < capacity; ++i)
            image.extents.push_back({Word(bytes, block + 4 + 4 * i), Word(bytes, block + 4 + 4 * capacity + 4 * i)});
        block = Word(bytes, block + 8 + 8 * capacity);
        if (block == 12)
            break;
    }
    return image;
}

// Every byte of the used space behind the first list block must be a free extent, one
// of the blocks in use, or a further list block (which may have been given 4 bytes more
// than it uses). Answers the first place that is none of these, empty when there is none.
inline std::string UnaccountedSpace(const ListImage& lists, const std::vector<Extent>& inUse)
{
    std::vector<std::pair<Extent, bool>> regions;
    for (const Extent& e : inUse)
        regions.push_back({e, false});
    for (const Extent& e : lists.extents)
        regions.push_back({e, false});
    for (size_t k = 1; k < lists.blocks.size(); ++k)
        regions.push_back({{lists.blocks[k], lists.blockSize}, true});
    std::sort(regions.begin(), regions.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    uint32_t at = 12 + lists.blockSize;
    bool afterListBlock = false;
    for (const auto& region : regions) {
        if (region.first.offset < at)
            return "overlap at " + std::to_string(region.first.offset);
        const uint32_t gap = region.first.offset - at;
        if (gap != 0 && !(afterListBlock && gap == 4))
            return std::to_string(gap) + " bytes at " + std::to_string(at);
        at = region.first.offset + region.first.length;
        afterListBlock = region.second;
    }
    if (lists.end != at && !(afterListBlock && lists.end == at + 4))
        return "used space ends at " + std::to_string(lists.end) + ", regions at " + std::to_string(at);
    return std::string();
}

} // namespace disktest
