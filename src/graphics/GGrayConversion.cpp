#include "graphics/GGrayConversion.h"

#include <cstdlib>
#include <cstring>

namespace {

struct GrayWeights {
    uint8_t shift;
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

struct GrayTables {
    uint8_t red[256];
    uint8_t green[256];
    uint8_t blue[256];
    uint8_t tone[256];
    uint8_t weight[256];
};
static_assert(sizeof(GrayTables) == kGrayTablesSize, "five tables of 256 bytes");

GrayWeights g_weights = {};
GrayTables g_tables = {};

} // namespace

uint8_t GrayFixed(uint8_t red, uint8_t green, uint8_t blue)
{
    return uint8_t((76u * red + 151u * green + 28u * blue + 255u) >> 8);
}

bool SetGrayWeights(const uint8_t* weights, size_t length)
{
    if (!weights || length < 4)
        return false;
    g_weights = {weights[0], weights[1], weights[2], weights[3]};
    return true;
}

uint8_t GrayByWeights(uint8_t red, uint8_t green, uint8_t blue)
{
    const uint32_t sum = uint32_t(red) * g_weights.red + uint32_t(green) * g_weights.green +
                         uint32_t(blue) * g_weights.blue;
    const uint32_t level = sum >> (g_weights.shift & 31);
    return uint8_t(level > 255 ? 255 : level);
}

bool LoadGrayTables(const uint8_t* tables, size_t length)
{
    if (!tables || length < kGrayTablesSize)
        return false;
    std::memcpy(&g_tables, tables, kGrayTablesSize);
    return true;
}

uint8_t GrayByTables(uint8_t red, uint8_t green, uint8_t blue)
{
    const uint32_t level = (g_tables.red[red] + g_tables.green[green] + g_tables.blue[blue]) & 0xFF;
    const uint32_t spread = uint32_t(std::abs(green - blue) + std::abs(blue - red) + std::abs(red - green)) >> 1;
    const uint32_t w = g_tables.weight[spread];
    return uint8_t((g_tables.tone[level] * w + (255 - w) * level + 255) >> 8);
}
