// Raster row stages on 600-dpi letter rows (5,100 pixels: 638 bytes at 1 bit, 15,300
// at 24 bits) of white, text, random and photo content. Each compressor's input MB/s is
// given with its time as a ratio to the time of memcpy of the same rows and of zlib's
// compress2 of each row (above 1: slower), all measured in the same run, with the output
// sizes of both; then scaling by 2 and by 0.5 in both directions, and dithering 8-bit
// rows with a 16 x 16 matrix.
//
//   raster_bench.exe [rows]
#include "graphics/GDeltaRowCompressor.h"
#include "graphics/GDitherMatrix.h"
#include "graphics/GDitherRowStage.h"
#include "graphics/GJpegCompressor.h"
#include "graphics/GRowPadder.h"
#include "graphics/GRunLengthCompressor.h"
#include "graphics/GScalingRowStage.h"
#include "graphics/GSeedRowCompressor.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

const int16_t kWidth = 5100;
const size_t kDistinctRows = 64;

// A first stage that hands out a set of rows over and over for the image's height.
class MemoryRows : public GRowCompressor {
public:
    MemoryRows(const std::vector<Bytes>& rows, uint32_t bits, int16_t width, int16_t height)
        : rows_(rows), bits_(bits), width_(width), height_(height)
    {
        maxRowSize_ = uint32_t(rows_[0].size());
    }
    uint32_t ReadRow(uint8_t* buffer, uint16_t& number, uint32_t& length, uint8_t& repeat, uint8_t& rows) override
    {
        length = 0;
        if (next_ >= uint32_t(height_))
            return 0;
        const Bytes& row = rows_[next_ % rows_.size()];
        std::memcpy(buffer, row.data(), length = uint32_t(row.size()));
        number = uint16_t(next_++);
        repeat = rows = 1;
        return 0;
    }
    void SkipRows(uint32_t count) override { next_ += count; }
    uint32_t GetMaxRowSize() override { return maxRowSize_; }
    void GetBounds(GRowBounds& b) override { b = {0, 0, width_, height_}; }
    uint32_t GetBitsPerPixel() override { return bits_; }

private:
    const std::vector<Bytes>& rows_;
    uint32_t bits_;
    int16_t width_, height_;
    uint32_t next_ = 0;
};

// Rows of one content: white, text (short dark strokes on white), random bytes, and a
// photo (smooth gradients with a little noise).
std::vector<Bytes> Content(const char* kind, uint32_t bits)
{
    const size_t bytes = (size_t(kWidth) * bits + 7) / 8;
    std::mt19937 rng(600);
    const bool mono = bits == 1;
    const uint8_t white = mono ? 0x00 : 0xFF;
    std::vector<Bytes> rows(kDistinctRows, Bytes(bytes, white));
    for (size_t y = 0; y < kDistinctRows; ++y) {
        Bytes& row = rows[y];
        if (!std::strcmp(kind, "text")) {
            // Lines of 40 rows of glyphs, 24 blank between them; strokes 2 to 6 pixels wide.
            if (y % 64 >= 40)
                continue;
            for (uint32_t x = 60; x + 8 < uint32_t(kWidth); x += 3 + rng() % 9) {
                const uint32_t stroke = 2 + rng() % 5;
                if (rng() % 3)
                    continue;
                for (uint32_t k = 0; k < stroke && x + k < uint32_t(kWidth); ++k) {
                    if (mono)
                        row[(x + k) / 8] = uint8_t(row[(x + k) / 8] | 0x80 >> ((x + k) % 8));
                    else
                        row[3 * (x + k)] = row[3 * (x + k) + 1] = row[3 * (x + k) + 2] = 0;
                }
            }
        } else if (!std::strcmp(kind, "random")) {
            for (uint8_t& b : row)
                b = uint8_t(rng());
        } else if (!std::strcmp(kind, "photo")) {
            for (size_t i = 0; i < bytes; ++i) {
                const uint32_t value = uint32_t(i * 255 / bytes + y * 2 + rng() % 5);
                row[i] = mono ? uint8_t((value & 0xFF) > 128 ? (rng() & 0xFF) : 0) : uint8_t(value);
            }
        }
    }
    return rows;
}

double MemcpyTime(const std::vector<Bytes>& rows, int height)
{
    Bytes to(rows[0].size());
    const Clock::time_point start = Clock::now();
    for (int r = 0; r < height; ++r)
        std::memcpy(to.data(), rows[size_t(r) % rows.size()].data(), to.size());
    volatile uint8_t keep = to[to.size() / 2];
    (void)keep;
    return Since(start);
}

double Compress2Time(const std::vector<Bytes>& rows, int height, size_t& out)
{
    Bytes to(compressBound(uLong(rows[0].size())));
    out = 0;
    const Clock::time_point start = Clock::now();
    for (int r = 0; r < height; ++r) {
        uLongf length = uLongf(to.size());
        const Bytes& row = rows[size_t(r) % rows.size()];
        compress2(to.data(), &length, row.data(), uLong(row.size()), Z_DEFAULT_COMPRESSION);
        out += length;
    }
    return Since(start);
}

// Seconds to read the whole image through the stage, and the bytes it gave.
double StageTime(GRowCompressor& stage, size_t& out, Bytes* sink = nullptr)
{
    out = 0;
    const Clock::time_point start = Clock::now();
    if (!stage.Begin())
        return -1;
    Bytes buffer(stage.GetMaxRowSize() + 16);
    if (sink)
        static_cast<GJpegCompressor&>(stage).SetSink(sink->data(), uint32_t(sink->size()));
    for (;;) {
        uint16_t number = 0;
        uint32_t length = 0;
        uint8_t repeat = 1, rows = 1;
        stage.ReadRow(buffer.data(), number, length, repeat, rows);
        if (length == 0)
            break;
        out += length;
    }
    return Since(start);
}

void Compressors(int height)
{
    struct Maker {
        const char* name;
        std::function<GRowCompressor*()> make;
        bool jpeg;
    };
    const Maker makers[] = {
        {"padder", [] { return new GRowPadder(4, 0); }, false},
        {"run length", [] { return new GRunLengthCompressor(4, 0); }, false},
        {"delta row", [] { return new GDeltaRowCompressor(4, 0, 1); }, false},
        {"adaptive", [] { return new GSeedRowCompressor(1, 0); }, false},
        {"jpeg", [] { return new GJpegCompressor(4, 0); }, true},
    };
    std::printf("%-10s %-7s %-6s %9s %9s %11s %8s %8s\n", "stage", "content", "depth", "MB/s", "x memcpy",
                "x compress2", "out %", "zlib %");
    for (uint32_t bits : {1u, 24u}) {
        for (const char* kind : {"white", "text", "random", "photo"}) {
            const std::vector<Bytes> rows = Content(kind, bits);
            const double input = double(rows[0].size()) * height;
            size_t zlibOut = 0;
            const double copy = MemcpyTime(rows, height), zlib = Compress2Time(rows, height, zlibOut);
            for (const Maker& m : makers) {
                if (m.jpeg && bits != 24)
                    continue;
                MemoryRows source(rows, bits, kWidth, int16_t(height));
                GRowCompressor* stage = m.make();
                stage->SetSource(&source);
                size_t out = 0;
                Bytes sink;
                if (m.jpeg)
                    sink.resize(size_t(input) + 65536);
                const double seconds = StageTime(*stage, out, m.jpeg ? &sink : nullptr);
                delete stage;
                std::printf("%-10s %-7s %2u-bit %9.1f %9.2f %11.2f %8.1f %8.1f\n", m.name, kind, bits,
                            input / seconds / 1e6, seconds / copy, seconds / zlib, 100.0 * double(out) / input,
                            100.0 * double(zlibOut) / input);
            }
        }
    }
}

void Scaling(int height)
{
    std::printf("\n%-22s %9s %9s\n", "scaling", "MB/s out", "x memcpy");
    for (uint32_t bits : {1u, 8u, 24u}) {
        const std::vector<Bytes> rows = Content("photo", bits);
        for (double factor : {2.0, 0.5}) {
            MemoryRows source(rows, bits, kWidth, int16_t(height));
            const int16_t width = int16_t(kWidth * factor), tall = int16_t(height * factor);
            GScalingRowStage stage({0, 0, width, tall});
            stage.SetSource(&source);
            size_t out = 0;
            const double seconds = StageTime(stage, out);
            // Repeated rows are written once: the caller uses them again.
            const std::vector<Bytes> outRows(kDistinctRows, Bytes((size_t(width) * bits + 7) / 8));
            const double copy = MemcpyTime(outRows, int(out / outRows[0].size()));
            std::printf("%2u-bit x %-12.1f %9.1f %9.2f\n", bits, factor, double(out) / seconds / 1e6, seconds / copy);
        }
    }
}

void Dithering(int height)
{
    std::vector<uint8_t> thresholds(256);
    for (size_t i = 0; i < thresholds.size(); ++i)
        thresholds[i] = uint8_t(i * 167 % 256);
    const GDitherMatrix matrix(16, 16, thresholds.data(), 600, 0);
    const std::vector<Bytes> rows = Content("photo", 8);
    MemoryRows source(rows, 8, kWidth, int16_t(height));
    GDitherRowStage stage({0, 0, kWidth, int16_t(height)}, &matrix, nullptr);
    stage.SetSource(&source);
    size_t out = 0;
    const double seconds = StageTime(stage, out);
    const double copy = MemcpyTime(rows, height);
    std::printf("\ndither 8-bit, 16 x 16   %9.1f MB/s in  %9.2f x memcpy  %9.0f rows/s\n",
                double(kWidth) * height / seconds / 1e6, seconds / copy, height / seconds);
}

} // namespace

int main(int argc, char** argv)
{
    const int height = argc > 1 ? std::max(16, std::min(std::atoi(argv[1]), 16000)) : 2000;
    Compressors(height);
    Scaling(height);
    Dithering(height);
    return 0;
}
