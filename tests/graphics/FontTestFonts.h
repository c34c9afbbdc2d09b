// Fonts for the reader tests: the installed DejaVu files, and small fonts built from
// tables given by tag.
#pragma once

#include "FileBytes.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

inline std::string DejaVuPath(const char* leaf) { return std::string("Z:\\usr\\share\\fonts\\truetype\\dejavu\\") + leaf; }

inline std::vector<uint8_t> DejaVu(const char* leaf) { return FileBytes(DejaVuPath(leaf)); }

// Big-endian fields appended one after another.
struct BE {
    std::vector<uint8_t> b;
    BE& U16(uint32_t v) { return b.push_back(uint8_t(v >> 8)), b.push_back(uint8_t(v)), *this; }
    BE& U32(uint32_t v) { return U16(v >> 16).U16(v & 0xFFFF); }
    BE& Tag(const char* t) { return b.insert(b.end(), t, t + 4), *this; }
    BE& Zeros(size_t n) { return b.resize(b.size() + n), *this; }
    BE& Put(size_t at, uint32_t v16) { return b.at(at) = uint8_t(v16 >> 8), b.at(at + 1) = uint8_t(v16), *this; }
};

// A font file of the tables, in tag order, with its table directory.
inline std::vector<uint8_t> BuildFont(const std::map<std::string, std::vector<uint8_t>>& tables)
{
    BE font;
    font.U32(0x00010000).U16(uint32_t(tables.size())).U16(0).U16(0).U16(0);
    uint32_t offset = uint32_t(12 + 16 * tables.size());
    for (const auto& t : tables) {
        font.Tag(t.first.c_str()).U32(0).U32(offset).U32(uint32_t(t.second.size()));
        offset += uint32_t(t.second.size());
    }
    for (const auto& t : tables)
        font.b.insert(font.b.end(), t.second.begin(), t.second.end());
    return font.b;
}

// An OS/2 table of 96 bytes with the first and last character indices.
inline std::vector<uint8_t> OS2(uint16_t first, uint16_t last) { return BE().Zeros(64).U16(first).U16(last).Zeros(28).b; }

// A cmap of subtables given as (platform, encoding, subtable bytes).
struct Subtable {
    uint16_t platform, encoding;
    std::vector<uint8_t> bytes;
};
inline std::vector<uint8_t> Cmap(const std::vector<Subtable>& subtables)
{
    BE cmap;
    cmap.U16(0).U16(uint32_t(subtables.size()));
    uint32_t offset = uint32_t(4 + 8 * subtables.size());
    for (const Subtable& s : subtables) {
        cmap.U16(s.platform).U16(s.encoding).U32(offset);
        offset += uint32_t(s.bytes.size());
    }
    for (const Subtable& s : subtables)
        cmap.b.insert(cmap.b.end(), s.bytes.begin(), s.bytes.end());
    return cmap.b;
}

// A format 4 subtable mapping first..last to glyph (code + delta), with the end segment.
inline std::vector<uint8_t> Format4(uint16_t first, uint16_t last, uint16_t delta)
{
    return BE().U16(4).U16(32).U16(0).U16(4).U16(4).U16(1).U16(0).U16(last).U16(0xFFFF).U16(0).U16(first).U16(0xFFFF)
        .U16(delta).U16(1).U16(0).U16(0).b;
}
