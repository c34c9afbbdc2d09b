// Row reads checked pixel by pixel against a plain model of every conversion: each
// component masked, shifted and scaled with 64-bit arithmetic, gray through the standard
// weights, planes read one bit at a time. Random layouts, masks, spans and modes, so the
// table- and word-at-a-time paths meet every alignment and tail.
#include "graphics/GBitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

uint8_t ModelScale(uint32_t pixel, uint32_t mask)
{
    uint32_t shift = 0, count = 0;
    for (uint32_t m = mask; m != 0 && (m & 1) == 0; m >>= 1)
        ++shift;
    for (uint32_t m = mask; m != 0; m &= m - 1)
        ++count;
    if (count == 0)
        return 0;
    const uint64_t v = (pixel & mask) >> shift;
    const uint64_t full = (uint64_t(1) << count) - 1;
    if (count > 8)
        return uint8_t(std::min<uint64_t>(255, v / (full / 255)));
    return uint8_t(v * (255 / full));
}

uint8_t ModelBit(const uint8_t* row, uint32_t x) { return uint8_t(row[x / 8] >> (7 - x % 8) & 1); }

uint8_t HalfGray(uint8_t r, uint8_t g, uint8_t b) { return uint8_t((r + g + b) / 6); }

struct Layout {
    uint8_t depth, planes;
    uint32_t order, masksGiven, masks[3], mirror, bottomUp;
    bool customGray;
};

// The expected row: x0 and x1 already clamped, row already turned into a stored row.
Bytes ModelRow(const Layout& l, const Bytes& bits, uint32_t rowBytes, uint32_t stored, uint32_t x0, uint32_t x1,
               uint32_t mode)
{
    const uint32_t defaults32[3] = {0xFF0000, 0xFF00, 0xFF}, defaults16[3] = {0x7C00, 0x3E0, 0x1F};
    const uint32_t* masks = l.masksGiven ? l.masks : l.depth == 32 ? defaults32 : defaults16;
    const uint8_t* src = bits.data() + size_t(l.planes) * stored * rowBytes;
    const uint32_t n = x1 - x0;
    const bool gray = mode == 0 || mode == 1 || mode == 4;
    Bytes out;
    std::vector<uint8_t> pixels;
    if (l.depth == 1 && l.planes == 3) {
        const bool swap = (l.order == 1) != (mode == kRowRGB);
        for (uint32_t i = 0; i < n; ++i) {
            uint8_t v = 0;
            for (int p = 0; p < 3; ++p)
                v = uint8_t(v | ModelBit(src + (swap ? 2 - p : p) * rowBytes, x0 + i) << (2 - p));
            pixels.push_back(v);
        }
        if (l.mirror)
            std::reverse(pixels.begin(), pixels.end());
        out.assign((n + 1) / 2, 0x77);
        for (uint32_t i = 0; i < n; ++i)
            out[i / 2] = uint8_t(i % 2 ? (out[i / 2] & 0xF0) | pixels[i] : (out[i / 2] & 0x0F) | pixels[i] << 4);
        return out;
    }
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t x = x0 + i;
        uint8_t r, g, b;
        if (l.planes == 3 || l.depth == 24) {
            const uint8_t c0 = l.planes == 3 ? src[x] : src[3 * x];
            const uint8_t c1 = l.planes == 3 ? src[rowBytes + x] : src[3 * x + 1];
            const uint8_t c2 = l.planes == 3 ? src[2 * rowBytes + x] : src[3 * x + 2];
            r = l.order == 1 ? c0 : c2, g = c1, b = l.order == 1 ? c2 : c0;
        } else {
            uint32_t pixel = 0;
            std::memcpy(&pixel, src + x * (l.depth / 8), l.depth / 8);
            r = ModelScale(pixel, masks[0]), g = ModelScale(pixel, masks[1]), b = ModelScale(pixel, masks[2]);
        }
        if (gray) {
            pixels.push_back(l.customGray ? HalfGray(r, g, b) : uint8_t((30u * r + 59u * g + 11u * b) / 100u));
        } else if (mode == kRowRGB) {
            pixels.insert(pixels.end(), {r, g, b});
        } else {
            pixels.insert(pixels.end(), {b, g, r});
        }
    }
    const uint32_t step = gray ? 1 : 3;
    for (uint32_t i = 0; l.mirror && i < n; ++i)
        out.insert(out.end(), pixels.begin() + (n - 1 - i) * step, pixels.begin() + (n - i) * step);
    return l.mirror ? out : Bytes(pixels.begin(), pixels.end());
}

} // namespace

TEST(BitmapRowConversion, EveryColourAndPlanarLayoutMatchesThePixelModel)
{
    std::mt19937 random(52);
    const struct {
        uint8_t depth, planes;
    } shapes[] = {{1, 3}, {8, 3}, {16, 1}, {24, 1}, {32, 1}};
    const uint32_t maskSets[][3] = {
        {0xF800, 0x7E0, 0x1F},          {0x7C00, 0x3E0, 0x1F},        {0xF000, 0x0A50, 0x1},
        {0, 0xFFFF, 0x3},               {0xFFC00000, 0x3FF000, 0xFFF}, {0xFFFF0000, 0xFFFF, 0},
        {0x80000001, 0x7FFFFFFE, 0x55}, {0xFFFFFFFF, 0xFF00, 0x1FFFF}, {0x3FFF, 0xC000, 0x1FFF0000},
    };
    for (int trial = 0; trial < 5000; ++trial) {
        const auto& shape = shapes[trial % 5];
        Layout l{shape.depth, shape.planes, random() % 2, 0, {0, 0, 0}, random() % 4 == 0, random() % 2, random() % 3 == 0};
        if ((l.depth == 16 || l.depth == 32) && random() % 2) {
            l.masksGiven = 1;
            std::memcpy(l.masks, maskSets[random() % 9], sizeof l.masks);
        }
        const int16_t width = int16_t(1 + random() % (trial % 7 == 0 ? 600 : 90)), height = int16_t(1 + random() % 3);
        const uint32_t rowBytes = (uint32_t(width) * l.depth + 7) / 8;
        Bytes bits(size_t(rowBytes) * l.planes * height);
        for (uint8_t& b : bits)
            b = uint8_t(random());
        GBitmapInfo info;
        info.bits = bits.data(), info.bitsSize = uint32_t(bits.size()), info.bounds = GRect{0, 0, width, height};
        info.bitsPerPixel = l.depth, info.planes = l.planes, info.colorOrder = l.order, info.mirror = l.mirror;
        info.bottomUp = l.bottomUp, info.masksGiven = l.masksGiven;
        info.redMask = l.masks[0], info.greenMask = l.masks[1], info.blueMask = l.masks[2];
        GBitmap bitmap(info);
        ASSERT_FALSE(bitmap.IsNull());
        if (l.customGray)
            bitmap.SetGrayConverter(HalfGray);
        // Every third row whole, so the widest groups start aligned; the rest any span.
        int32_t x0 = int32_t(random() % (width + 2)) - 1, x1 = int32_t(random() % (width + 3)) - 1;
        if (trial % 3 == 0)
            x0 = 0, x1 = width;
        const int32_t row = int32_t(random() % height);
        const uint32_t mode = random() % 5;
        const uint32_t cx0 = uint32_t(std::max(0, std::min<int32_t>(x0, width)));
        const uint32_t cx1 = uint32_t(std::max<int32_t>(int32_t(cx0), std::min<int32_t>(x1, width)));
        const uint32_t stored = l.bottomUp ? uint32_t(height - 1 - row) : uint32_t(row);
        const Bytes expected = ModelRow(l, bits, rowBytes, stored, cx0, cx1, mode);
        Bytes out(bitmap.GetRowSize(x0, x1, mode) + 4, 0xEE);
        ASSERT_EQ(bitmap.GetRow(out.data(), x0, x1, row, mode), expected.size()) << trial;
        EXPECT_EQ(Bytes(out.begin() + expected.size(), out.end()), Bytes(4, 0xEE)) << "wrote past the row " << trial;
        out.resize(expected.size());
        ASSERT_EQ(out, expected) << "trial " << trial << " depth " << int(l.depth) << " planes " << int(l.planes)
                                 << " mode " << mode << " span " << x0 << ".." << x1;
    }
}

// The inlined standard gray equals the weighted sum divided by 100 for every colour.
TEST(BitmapRowConversion, StandardGrayHoldsForEveryColour)
{
    Bytes bits(256 * 3);
    for (uint32_t red = 0; red < 256; ++red) {
        for (uint32_t green = 0; green < 256; ++green) {
            for (uint32_t blue = 0; blue < 256; ++blue)
                bits[3 * blue] = uint8_t(blue), bits[3 * blue + 1] = uint8_t(green), bits[3 * blue + 2] = uint8_t(red);
            GBitmapInfo info;
            info.bits = bits.data(), info.bitsSize = uint32_t(bits.size()), info.bounds = GRect{0, 0, 256, 1};
            info.bitsPerPixel = 24;
            GBitmap bitmap(info);
            uint8_t out[256];
            ASSERT_EQ(bitmap.GetRow(out, 0, 256, 0, 0), 256u);
            for (uint32_t blue = 0; blue < 256; ++blue)
                ASSERT_EQ(out[blue], (30 * red + 59 * green + 11 * blue) / 100) << red << " " << green << " " << blue;
        }
    }
}
