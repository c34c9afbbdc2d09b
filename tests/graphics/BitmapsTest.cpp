#include "graphics/GBitmap.h"
#include "graphics/GRGBColor.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

GBitmap Make(Bytes& bits, int16_t width, int16_t height, uint8_t depth, uint8_t planes = 1, uint32_t order = 0)
{
    GBitmapInfo info;
    info.bits = bits.data();
    info.bitsSize = uint32_t(bits.size());
    info.bounds = GRect{0, 0, width, height};
    info.bitsPerPixel = depth;
    info.planes = planes;
    info.colorOrder = order;
    return GBitmap(info);
}

Bytes Row(const GBitmap& bitmap, int32_t x0, int32_t x1, int32_t row, uint32_t mode)
{
    Bytes out(bitmap.GetRowSize(x0, x1, mode) + 8, 0xEE);
    out.resize(bitmap.GetRow(out.data(), x0, x1, row, mode));
    return out;
}

// Decodes a run stream (compression 1 for 4-bit, 2 for 8-bit) read from the very end of
// a page whose next page cannot be touched, so any read past the stream traps.
GBitmap Decode(const Bytes& stream, int16_t width, int16_t height, bool fourBit)
{
    static uint8_t* pages = nullptr;
    if (!pages) {
        pages = static_cast<uint8_t*>(VirtualAlloc(nullptr, 8192, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old = 0;
        VirtualProtect(pages + 4096, 4096, PAGE_NOACCESS, &old);
    }
    uint8_t* at = pages + 4096 - stream.size();
    std::memcpy(at, stream.data(), stream.size());
    GBitmapInfo info;
    info.bits = at;
    info.bitsSize = uint32_t(stream.size());
    info.rowAlignment = 4;
    info.bounds = GRect{0, 0, width, height};
    info.bitsPerPixel = fourBit ? 4 : 8;
    info.compression = fourBit ? 1 : 2;
    return GBitmap(info);
}

Bytes DecodedRow(const GBitmap& bitmap, int row)
{
    const GBitmapImp& imp = *bitmap.GetImp();
    const uint8_t* at = imp.GetBits() + row * imp.GetStoredRowBytes();
    return Bytes(at, at + imp.GetRowBytes());
}

struct RunCase {
    const char* name;
    bool fourBit;
    int16_t width;
    Bytes stream;
    std::vector<Bytes> rows;
};

const std::vector<RunCase>& RunCases()
{
    static const std::vector<RunCase> cases = {
        {"wrap then line end", false, 3, {3, 7, 0, 0, 0, 1}, {{7, 7, 7}, {0, 0, 0}, {0, 0, 0}}},
        {"blank row", false, 2, {2, 5, 0, 0, 0, 0, 2, 6, 0, 0, 0, 1}, {{5, 5}, {0, 0}, {6, 6}}},
        {"delta", false, 3, {1, 4, 0, 2, 1, 1, 1, 9, 0, 0, 0, 1}, {{4, 0, 0}, {0, 0, 9}, {0, 0, 0}}},
        {"odd absolute run", false, 4, {0, 3, 1, 2, 3, 0, 1, 4, 0, 0, 0, 1}, {{1, 2, 3, 4}, {0, 0, 0, 0}, {0, 0, 0, 0}}},
        {"nibbles", true, 6, {3, 0xAB, 0, 3, 0x12, 0x30, 0, 0, 2, 0x5C, 0, 0, 0, 1},
         {{0xAB, 0xA1, 0x23}, {0x5C, 0, 0}, {0, 0, 0}}},
    };
    return cases;
}

} // namespace

TEST(Bitmap, MasksSplitPixelsIntoEightBitComponents)
{
    struct Case {
        uint8_t depth;
        uint32_t masksGiven, red, green, blue, pixel;
        Bytes rgb;
    } cases[] = {
        {16, 0, 0, 0, 0, 0x7FFF, {248, 248, 248}},
        {16, 1, 0xF800, 0x7E0, 0x1F, 0xFFFF, {248, 252, 248}},
        {16, 1, 0xF800, 0, 0x1F, 0xFFFF, {248, 0, 248}},
        {32, 0, 0, 0, 0, 0x00112233, {0x11, 0x22, 0x33}},
        {32, 1, 0xFFC00000, 0x3FF000, 0xFFFFFFFF, 0xFFFFFFFF, {255, 255, 255}},
    };
    for (const Case& c : cases) {
        Bytes bits(4);
        std::memcpy(bits.data(), &c.pixel, 4);
        GBitmapInfo info;
        info.bits = bits.data(), info.bitsSize = 4, info.bounds = GRect{0, 0, 1, 1}, info.bitsPerPixel = c.depth;
        info.masksGiven = c.masksGiven, info.redMask = c.red, info.greenMask = c.green, info.blueMask = c.blue;
        GBitmap bitmap(info);
        EXPECT_EQ(Row(bitmap, 0, 1, 0, kRowRGB), c.rgb) << c.pixel;
        if (!c.masksGiven && c.depth == 16) {
            EXPECT_EQ(bitmap.GetImp()->GetMask(0) | bitmap.GetImp()->GetMask(1) << 16, 0x7C00u | 0x3E0u << 16);
        }
    }
}

TEST(Bitmap, ReportedDepthsAndGeometryTheBitsCannotHold)
{
    struct Case {
        uint8_t depth, planes;
        int16_t width;
        size_t bytes;
        uint32_t reported;
    } cases[] = {
        {1, 3, 8, 6, 4}, {1, 3, 8, 5, 0}, {8, 3, 2, 12, 24}, {8, 3, 2, 11, 0}, {32, 1, 1, 8, 24}, {16, 1, 2, 8, 24}, {8, 3, 2, 24, 24}, {4, 1, 2, 8, 4},
        {2, 1, 4, 8, 0}, {8, 2, 2, 16, 0}, {8, 1, -1, 8, 0}, {24, 1, 2, 11, 0},
    };
    for (const Case& c : cases) {
        Bytes bits(c.bytes, 1);
        GBitmap bitmap = Make(bits, c.width, 2, c.depth, c.planes);
        EXPECT_EQ(c.reported ? c.reported : 0, bitmap.IsNull() ? 0 : bitmap.GetBitsPerPixel()) << int(c.depth);
    }
}

TEST(Bitmap, GetRowConvertsEveryLayoutAndClampsTheSpan)
{
    Bytes rgb = {100, 200, 50, 1, 2, 3};
    Bytes bottomUp = {1, 1, 0, 0, 2, 2, 0, 0, 3, 3, 0, 0};
    Bytes oneBit = {0xB3, 0x40};
    Bytes planar8 = {1, 2, 3, 4, 5, 6};
    Bytes planar1 = {0xA0, 0x60, 0xC0};
    GBitmap order1 = Make(rgb, 2, 1, 24, 1, 1);
    GBitmap order0 = Make(rgb, 2, 1, 24, 1, 0);
    GBitmapInfo info;
    info.bits = bottomUp.data(), info.bitsSize = 12, info.rowAlignment = 4;
    info.bounds = GRect{0, 5, 2, 8}, info.bottomUp = 1;
    GBitmap upward(info);
    info.bounds = GRect{0, 0, 2, 3}, info.bottomUp = 0, info.mirror = 1;
    Bytes mirrored = {1, 2, 0, 0};
    info.bits = mirrored.data(), info.bitsSize = 4, info.bounds = GRect{0, 0, 2, 1};
    GBitmap mirror(info);
    GBitmap bits1 = Make(oneBit, 16, 1, 1);
    GBitmap interleave = Make(planar8, 2, 1, 8, 3, 1);
    GBitmap threePlanes = Make(planar1, 3, 1, 1, 3);
    struct Case {
        const GBitmap* bitmap;
        int32_t x0, x1, row;
        uint32_t mode;
        Bytes out;
    } cases[] = {
        {&order1, 0, 2, 0, kRowRGB, {100, 200, 50, 1, 2, 3}},
        {&order1, 0, 1, 0, 2, {50, 200, 100}},
        {&order0, 0, 1, 0, kRowRGB, {50, 200, 100}},
        {&order1, 0, 1, 0, 0, {153}},
        {&order1, -5, 99, 7, 4, {153, 1}},
        {&upward, 0, 2, 0, 2, {3, 3}},
        {&upward, 0, 2, 2, 2, {1, 1}},
        {&mirror, 0, 2, 0, 2, {2, 1}},
        {&bits1, 3, 10, 0, 2, {0x9A}},
        {&interleave, 0, 2, 0, kRowRGB, {1, 3, 5, 2, 4, 6}},
        {&interleave, 0, 2, 0, 2, {5, 3, 1, 6, 4, 2}},
        {&threePlanes, 0, 3, 0, 2, {0x53, 0x67}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(Row(*cases[i].bitmap, cases[i].x0, cases[i].x1, cases[i].row, cases[i].mode), cases[i].out) << i;
}

TEST(Bitmap, RunStreamsDecodeToPlainRows)
{
    for (const RunCase& c : RunCases()) {
        GBitmap bitmap = Decode(c.stream, c.width, int16_t(c.rows.size()), c.fourBit);
        ASSERT_FALSE(bitmap.IsNull()) << c.name;
        EXPECT_FALSE(bitmap.IsCompressed());
        for (size_t row = 0; row < c.rows.size(); ++row)
            EXPECT_EQ(DecodedRow(bitmap, int(row)), c.rows[row]) << c.name << " row " << row;
    }
}

// The same streams through the system's own decoding, whose codes are the other way round.
TEST(Bitmap, RunStreamsDecodeAsTheSystemDoes)
{
    for (const RunCase& c : RunCases()) {
        const int height = int(c.rows.size());
        const int depth = c.fourBit ? 4 : 8;
        std::vector<uint8_t> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
        BITMAPINFO* bmi = reinterpret_cast<BITMAPINFO*>(header.data());
        bmi->bmiHeader = {sizeof(BITMAPINFOHEADER), c.width, height, 1, WORD(depth), BI_RGB, 0, 0, 0, 0, 0};
        for (int i = 0; i < 256; ++i)
            bmi->bmiColors[i] = RGBQUAD{BYTE(i), BYTE(255 - i), BYTE(i * 7), 0};
        void* dibBits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP dib = CreateDIBSection(dc, bmi, DIB_RGB_COLORS, &dibBits, nullptr, 0);
        ASSERT_TRUE(dib) << c.name;
        bmi->bmiHeader.biCompression = c.fourBit ? BI_RLE4 : BI_RLE8;
        bmi->bmiHeader.biSizeImage = DWORD(c.stream.size());
        EXPECT_EQ(height, SetDIBits(dc, dib, 0, height, c.stream.data(), bmi, DIB_RGB_COLORS)) << c.name;
        bmi->bmiHeader.biCompression = BI_RGB;
        bmi->bmiHeader.biSizeImage = 0;
        const int stride = (c.width * depth + 31) / 32 * 4;
        Bytes system(size_t(stride) * height);
        EXPECT_EQ(height, GetDIBits(dc, dib, 0, height, system.data(), bmi, DIB_RGB_COLORS)) << c.name;
        DeleteObject(dib);
        DeleteDC(dc);
        GBitmap ours = Decode(c.stream, c.width, int16_t(height), c.fourBit);
        // A run-coded bitmap starts at its bottom row: the system's first row is our first.
        for (int row = 0; row < height; ++row) {
            Bytes expected(system.begin() + row * stride, system.begin() + row * stride + (c.width * depth + 7) / 8);
            EXPECT_EQ(DecodedRow(ours, row), expected) << c.name << " row " << row;
        }
    }
}

TEST(Bitmap, DamagedRunStreamsStayInsideTheirBuffers)
{
    std::mt19937 random(21);
    for (int round = 0; round < 400; ++round) {
        const RunCase& c = RunCases()[random() % RunCases().size()];
        Bytes stream = c.stream;
        for (int flips = random() % 4; flips >= 0; --flips)
            stream[random() % stream.size()] = uint8_t(random());
        stream.resize(random() % (stream.size() + 1));
        const int16_t height = int16_t(1 + random() % 4);
        GBitmap bitmap = Decode(stream, c.width, height, c.fourBit);
        const GBitmapImp& imp = *bitmap.GetImp();
        ASSERT_EQ(imp.GetBitsSize(), (height + 1u) * imp.GetStoredRowBytes());
        // Nothing lands in the spare row after the last one, nor past any row's pixels.
        for (int row = 0; row <= height; ++row)
            for (uint32_t i = row == height ? 0 : imp.GetRowBytes(); i < imp.GetStoredRowBytes(); ++i)
                ASSERT_EQ(0, imp.GetBits()[row * imp.GetStoredRowBytes() + i]) << round;
    }
}

TEST(Bitmap, ConvertToIndexedKeepsFirstSeenOrderUpTo256Colours)
{
    Bytes small(16 * 16 * 3), many(17 * 17 * 3), large(200 * 200 * 3, 9);
    for (size_t i = 0; i < many.size() / 3; ++i) {
        many[3 * i] = uint8_t(i), many[3 * i + 1] = uint8_t(i >> 8), many[3 * i + 2] = 1;
        if (i < 256)
            std::memcpy(&small[3 * i], &many[3 * i], 3);
    }
    const GBitmap source = Make(small, 16, 16, 24, 1, 1);
    const GBitmap indexed = source.ConvertToIndexed();
    ASSERT_EQ(8u, indexed.GetBitsPerPixel());
    ASSERT_EQ(256u, indexed.GetPalette()->GetCount());
    for (uint32_t i = 0; i < 256; ++i) {
        EXPECT_EQ(i, indexed.GetBits()[i]);
        const GRGBColor* color = dynamic_cast<const GRGBColor*>(indexed.GetPalette()->GetColor(i));
        EXPECT_EQ(uint8_t(i), color->GetRed());
    }
    for (auto* unchanged : {&many, &large}) {
        const int16_t side = unchanged == &many ? 17 : 200;
        const GBitmap bitmap = Make(*unchanged, side, side, 24);
        EXPECT_EQ(bitmap.GetImp(), bitmap.ConvertToIndexed().GetImp()) << side;
    }
}

TEST(Bitmap, CopiesShareTheirPixelsAndTheirOwnCopy)
{
    Bytes bits = {1, 2, 3, 4};
    GBitmap first = Make(bits, 4, 1, 8);
    GBitmap second = first;
    second.MakeOwnCopy();
    EXPECT_NE(bits.data(), first.GetBits());
    EXPECT_EQ(1u, first.GetImp()->OwnsBits());
    EXPECT_EQ(Row(first, 0, 4, 0, 0), bits);
}
