#include "graphics/GJpegCompressor.h"

#include "RowSourceStub.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <jpeglib.h>

// The library's memory comes from here in this executable, so a test sees what is live.
namespace {
std::atomic<long> g_jpegBlocks{0};
std::atomic<long> g_jpegAllocations{0};
}
extern "C" {
void* jpeg_get_small(j_common_ptr, size_t size) { return ++g_jpegBlocks, ++g_jpegAllocations, std::malloc(size); }
void jpeg_free_small(j_common_ptr, void* p, size_t) { --g_jpegBlocks, std::free(p); }
void* jpeg_get_large(j_common_ptr c, size_t size) { return jpeg_get_small(c, size); }
void jpeg_free_large(j_common_ptr c, void* p, size_t size) { jpeg_free_small(c, p, size); }
size_t jpeg_mem_available(j_common_ptr, size_t, size_t most, size_t) { return most; }
void jpeg_open_backing_store(j_common_ptr c, void*, long) { c->err->error_exit(c); }
long jpeg_mem_init(j_common_ptr) { return 0; }
void jpeg_mem_term(j_common_ptr) {}
}

namespace {

using Bytes = std::vector<uint8_t>;

struct Image {
    int width, height, components;
    Bytes pixels;
};

// A smooth picture; rows listed once, each standing for repeat image rows.
std::vector<Bytes> Picture(int width, int rows, int components, int seed)
{
    std::vector<Bytes> out(rows, Bytes(size_t(width * components)));
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width * components; ++x)
            out[y][x] = uint8_t(seed + x * 3 + y * 5);
    return out;
}

Bytes Compress(int width, int height, int bpp, const std::vector<Bytes>& rows, uint8_t repeat,
               uint32_t capacity)
{
    RowSourceStub source(int16_t(width), uint32_t(bpp), rows, Bytes(rows.size(), repeat), int16_t(height));
    GJpegCompressor stage(4, 0);
    stage.SetSource(&source);
    EXPECT_EQ(stage.Begin(), 1u);
    Bytes sink(capacity);
    stage.SetSink(sink.data(), capacity);
    uint16_t number = 0;
    uint32_t length = 1, after = 1;
    uint8_t r = 1, n = 1;
    EXPECT_EQ(stage.ReadRow(nullptr, number, length, r, n), 0u);
    EXPECT_EQ(length, stage.GetByteCount());
    stage.ReadRow(nullptr, number, after, r, n);
    EXPECT_EQ(after, 0u);
    return Bytes(sink.begin(), sink.begin() + length);
}

bool Decode(const Bytes& stream, Image& image)
{
    // A stream the library cannot read ends the test executable: the harness reports that.
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr error;
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, stream.data(), static_cast<unsigned long>(stream.size()));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    image.width = int(cinfo.output_width);
    image.height = int(cinfo.output_height);
    image.components = cinfo.output_components;
    image.pixels.resize(size_t(image.width * image.height * image.components));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW line = &image.pixels[cinfo.output_scanline * image.width * image.components];
        jpeg_read_scanlines(&cinfo, &line, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

}  // namespace

TEST(JpegCompressor, RgbAndGrayImagesDecodeToTheirSizeWithinABoundedError)
{
    const struct {
        int width, height, bpp, rows;
        uint8_t repeat;
    } cases[] = {{40, 30, 24, 30, 1}, {33, 17, 8, 9, 2}};
    for (const auto& c : cases) {
        const auto rows = Picture(c.width, c.rows, c.bpp / 8, 0);
        Image image;
        ASSERT_TRUE(Decode(Compress(c.width, c.height, c.bpp, rows, c.repeat, 1 << 16), image));
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        ASSERT_EQ(image.components, c.bpp / 8);
        long error = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width * image.components; ++x)
                error += std::abs(image.pixels[size_t(y * c.width * image.components + x)] -
                                  rows[size_t(y / c.repeat)][size_t(x)]);
        EXPECT_LT(error / (c.height * c.width * image.components), 4);
    }
}

TEST(JpegCompressor, LibraryErrorsAndAFullSinkGiveNoImageAndLeakNothing)
{
    const long before = g_jpegBlocks, allocations = g_jpegAllocations;
    // Two bytes a pixel is no colour space the stage can name: the library refuses it.
    EXPECT_TRUE(Compress(16, 8, 16, Picture(16, 8, 2, 0), 1, 1 << 16).empty());
    EXPECT_TRUE(Compress(40, 30, 24, Picture(40, 30, 3, 0), 1, 100).empty());
    // A source that ends before the image's height.
    EXPECT_TRUE(Compress(40, 30, 24, Picture(40, 10, 3, 0), 1, 1 << 16).empty());
    EXPECT_GT(g_jpegAllocations, allocations);
    EXPECT_EQ(g_jpegBlocks, before);
}

TEST(JpegCompressor, TwoImagesAtOnceOnTwoThreads)
{
    const auto a = Picture(64, 48, 3, 0), b = Picture(48, 64, 1, 90);
    const Bytes expectA = Compress(64, 48, 24, a, 1, 1 << 16);
    const Bytes expectB = Compress(48, 64, 8, b, 1, 1 << 16);
    std::atomic<int> mismatches{0};
    std::thread one([&] {
        for (int i = 0; i < 20; ++i)
            mismatches += Compress(64, 48, 24, a, 1, 1 << 16) != expectA;
    });
    std::thread two([&] {
        for (int i = 0; i < 20; ++i)
            mismatches += Compress(48, 64, 8, b, 1, 1 << 16) != expectB;
    });
    one.join();
    two.join();
    EXPECT_EQ(mismatches, 0);
}
