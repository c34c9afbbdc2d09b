// Row reads of 5,000-pixel rows per depth and mode, run decoding, and the indexed
// conversion of a 181 x 181 image of 256 colours. Row reads and decoding are given as
// ratios against memcpy of the same bytes, measured in the same run. Each row read also
// gives its ratio against copying its input rows out of the same bitmap, the floor for a
// conversion that reads more bytes than it writes.
//
//   bitmap_bench.exe [rounds]
#include "graphics/GBitmap.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

const int16_t kWidth = 5000;
const int16_t kRows = 64;

// Seconds for rounds of copying the bytes once each.
double CopyTime(size_t bytes, int rounds)
{
    std::vector<uint8_t> from(bytes, 3), to(bytes);
    const Clock::time_point start = Clock::now();
    for (int r = 0; r < rounds; ++r) {
        from[r % bytes] = uint8_t(r);
        std::memcpy(to.data(), from.data(), bytes);
    }
    volatile uint8_t keep = to[bytes / 2];
    (void)keep;
    return Since(start);
}

// Seconds for rounds of copying one row's input out of the same rows the conversion
// reads, in the same order: what reading the input alone costs.
double InputCopyTime(const std::vector<uint8_t>& bits, size_t rowInput, int rounds)
{
    std::vector<uint8_t> to(rowInput);
    const Clock::time_point start = Clock::now();
    for (int r = 0; r < rounds; ++r)
        std::memcpy(to.data(), bits.data() + size_t(r % kRows) * rowInput, rowInput);
    volatile uint8_t keep = to[rowInput / 2];
    (void)keep;
    return Since(start);
}

void RowReads(int rounds)
{
    struct Case {
        const char* name;
        uint8_t depth, planes;
        uint32_t mode;
    } cases[] = {{"1-bit", 1, 1, 2}, {"1-bit 3 planes", 1, 3, 2}, {"4-bit", 4, 1, 2}, {"8-bit", 8, 1, 2},
                 {"8-bit 3 planes", 8, 3, kRowRGB}, {"16-bit rgb", 16, 1, kRowRGB}, {"24-bit rgb", 24, 1, kRowRGB},
                 {"24-bit gray", 24, 1, 0}, {"32-bit rgb", 32, 1, kRowRGB}};
    for (const Case& c : cases) {
        const uint32_t rowBytes = (uint32_t(kWidth) * c.depth + 7) / 8;
        std::vector<uint8_t> bits(size_t(rowBytes) * c.planes * kRows, 0x5A);
        GBitmapInfo info;
        info.bits = bits.data(), info.bitsSize = uint32_t(bits.size()), info.bounds = GRect{0, 0, kWidth, kRows};
        info.bitsPerPixel = c.depth, info.planes = c.planes;
        GBitmap bitmap(info);
        std::vector<uint8_t> out(bitmap.GetRowSize(0, kWidth, c.mode));
        const Clock::time_point start = Clock::now();
        for (int r = 0; r < rounds; ++r)
            bitmap.GetRow(out.data(), 0, kWidth, r % kRows, c.mode);
        const double seconds = Since(start);
        std::printf("GetRow %-15s %10.0f rows/s  %6.2f x memcpy of the output  (%5.2f x copying the input rows)\n",
                    c.name, rounds / seconds, seconds / CopyTime(out.size(), rounds),
                    seconds / InputCopyTime(bits, size_t(rowBytes) * c.planes, rounds));
    }
}

void RunDecoding(int rounds)
{
    // Rows of short runs and absolute runs, each ended by a line end.
    std::vector<uint8_t> stream;
    for (int row = 0; row < kRows; ++row) {
        for (int x = 0; x < kWidth - 16; x += 16) {
            stream.insert(stream.end(), {8, uint8_t(x)});
            stream.insert(stream.end(), {0, 8, 1, 2, 3, 4, 5, 6, 7, 8});
        }
        stream.insert(stream.end(), {0, 0});
    }
    stream.insert(stream.end(), {0, 1});
    const int passes = rounds / kRows + 1;
    const Clock::time_point start = Clock::now();
    size_t decoded = 0;
    for (int r = 0; r < passes; ++r) {
        GBitmapInfo info;
        info.bits = stream.data(), info.bitsSize = uint32_t(stream.size()), info.bounds = GRect{0, 0, kWidth, kRows};
        info.compression = 2, info.rowAlignment = 4;
        GBitmap bitmap(info);
        decoded = bitmap.GetBitsSize();
    }
    const double seconds = Since(start);
    std::printf("run decoding 8-bit    %10.1f MB/s    %6.2f x memcpy of the output\n",
                double(decoded) * passes / seconds / 1e6, seconds / CopyTime(decoded, passes));
}

void Indexed(int rounds)
{
    const int16_t side = 181;
    std::vector<uint8_t> bits(size_t(side) * side * 3);
    for (size_t i = 0; i < bits.size() / 3; ++i)
        bits[3 * i] = uint8_t(i * 37), bits[3 * i + 2] = 7;
    GBitmapInfo info;
    info.bits = bits.data(), info.bitsSize = uint32_t(bits.size()), info.bounds = GRect{0, 0, side, side};
    info.bitsPerPixel = 24;
    GBitmap bitmap(info);
    const int passes = rounds / 100 + 1;
    const Clock::time_point start = Clock::now();
    uint32_t depth = 0;
    for (int r = 0; r < passes; ++r)
        depth = bitmap.ConvertToIndexed().GetBitsPerPixel();
    std::printf("ConvertToIndexed 181 x 181: %.3f ms each (result %u bits)\n", Since(start) / passes * 1e3, depth);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20000;
    if (rounds <= 0) {
        std::fprintf(stderr, "usage: bitmap_bench.exe [rounds]\n");
        return 2;
    }
    RowReads(rounds);
    RunDecoding(rounds);
    Indexed(rounds);
    return 0;
}
