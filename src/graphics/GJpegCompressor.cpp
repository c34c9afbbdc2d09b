#include "graphics/GJpegCompressor.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

namespace {

constexpr size_t kChunk = 4096;
constexpr int kQuality = 95;

}  // namespace

// The library's compression state with its error manager, the recovery point of the error
// exit, and the destination that empties the library's chunk into the stage's own sink.
struct GJpegCompressor::Library {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr error;
    jpeg_destination_mgr destination;
    std::jmp_buf recovery;
    JOCTET* chunk = nullptr;
    uint8_t* sink = nullptr;
    uint32_t capacity = 0;
    uint32_t count = 0;
    bool created = false;

    static Library& Of(j_common_ptr cinfo)
    {
        return *static_cast<Library*>(cinfo->client_data);
    }

    // Copies the bytes to the sink; a full sink fails the image through the error exit.
    static void Put(j_compress_ptr cinfo, const JOCTET* bytes, size_t n)
    {
        Library& lib = Of(reinterpret_cast<j_common_ptr>(cinfo));
        if (n > lib.capacity - lib.count) {
            cinfo->err->msg_code = JERR_FILE_WRITE;
            cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
        }
        std::memcpy(lib.sink + lib.count, bytes, n);
        lib.count += uint32_t(n);
    }

    static void InitDestination(j_compress_ptr cinfo)
    {
        Library& lib = Of(reinterpret_cast<j_common_ptr>(cinfo));
        lib.chunk = static_cast<JOCTET*>(cinfo->mem->alloc_small(
            reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kChunk));
        lib.destination.next_output_byte = lib.chunk;
        lib.destination.free_in_buffer = kChunk;
    }

    static boolean EmptyOutputBuffer(j_compress_ptr cinfo)
    {
        Library& lib = Of(reinterpret_cast<j_common_ptr>(cinfo));
        Put(cinfo, lib.chunk, kChunk);
        lib.destination.next_output_byte = lib.chunk;
        lib.destination.free_in_buffer = kChunk;
        return TRUE;
    }

    static void TermDestination(j_compress_ptr cinfo)
    {
        Library& lib = Of(reinterpret_cast<j_common_ptr>(cinfo));
        Put(cinfo, lib.chunk, kChunk - lib.destination.free_in_buffer);
    }

    [[noreturn]] static void ErrorExit(j_common_ptr cinfo)
    {
        std::longjmp(Of(cinfo).recovery, 1);
    }

    static void OutputMessage(j_common_ptr) {}
};

GJpegCompressor::GJpegCompressor(uint16_t rowUnit, uint32_t invert)
    : GCompressorBase(rowUnit, invert), library_(new Library())
{
}

GJpegCompressor::~GJpegCompressor()
{
    if (library_->created)
        jpeg_destroy_compress(&library_->cinfo);
}

void GJpegCompressor::SetSink(uint8_t* buffer, uint32_t capacity)
{
    library_->sink = buffer;
    library_->capacity = buffer ? capacity : 0;
    library_->count = 0;
}

uint32_t GJpegCompressor::GetByteCount() const
{
    return library_->count;
}

uint32_t GJpegCompressor::Begin()
{
    MeasureRow();
    GRowBounds bounds;
    GetBounds(bounds);
    const uint32_t components = (GetBitsPerPixel() & 0xFF) / 8;
    const uint32_t width = empty_ ? 0 : uint32_t(int16_t(bounds.right - bounds.left));
    const uint32_t sourceMax = source_ ? source_->GetMaxRowSize() : 0;
    if (!Allocate(row_, std::max(sourceMax, width * components)))
        return 0;
    started_ = 0;
    done_ = 0;
    nextRow_ = 0;
    maxRowSize_ = 0;
    ready_ = 1;
    return 1;
}

uint32_t GJpegCompressor::ReadRow(uint8_t*, uint16_t& rowNumber, uint32_t& length,
                                  uint8_t& repeat, uint8_t& rows)
{
    length = 0;
    repeat = 1;
    rows = 0;
    rowNumber = nextRow_;
    if (done_ || empty_ || !source_ || row_.empty())
        return 0;
    done_ = 1;
    started_ = 1;
    if (!Compress(rowNumber, rows)) {
        started_ = 0;
        rows = 1;
        library_->count = 0;
        return 0;
    }
    started_ = 0;
    length = library_->count;
    return 0;
}

// Holds nothing with a destructor across the recovery point: the error exit jumps back
// here from inside the library.
bool GJpegCompressor::Compress(uint16_t& rowNumber, uint8_t& rows)
{
    Library* lib = library_.get();
    jpeg_compress_struct* cinfo = &lib->cinfo;
    GRowBounds bounds;
    GetBounds(bounds);
    const int32_t height = int16_t(bounds.bottom - bounds.top);
    const int32_t components = int32_t((GetBitsPerPixel() & 0xFF) / 8);
    int32_t written = 0;
    bool first = true;

    if (setjmp(lib->recovery)) {
        if (lib->created)
            jpeg_destroy_compress(cinfo);
        lib->created = false;
        return false;
    }
    cinfo->client_data = lib;
    cinfo->err = jpeg_std_error(&lib->error);
    lib->error.error_exit = &Library::ErrorExit;
    lib->error.output_message = &Library::OutputMessage;
    jpeg_create_compress(cinfo);
    lib->created = true;
    lib->count = 0;

    cinfo->in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(cinfo);
    cinfo->image_width = JDIMENSION(std::max<int32_t>(int16_t(bounds.right - bounds.left), 0));
    cinfo->image_height = JDIMENSION(std::max<int32_t>(height, 0));
    cinfo->input_components = components;
    cinfo->data_precision = 8;
    jpeg_default_colorspace(cinfo);
    jpeg_set_quality(cinfo, kQuality, TRUE);
    lib->destination.init_destination = &Library::InitDestination;
    lib->destination.empty_output_buffer = &Library::EmptyOutputBuffer;
    lib->destination.term_destination = &Library::TermDestination;
    cinfo->dest = &lib->destination;
    jpeg_start_compress(cinfo, TRUE);

    while (written < height) {
        uint16_t number = 0;
        uint32_t length = 0;
        uint8_t repeat = 1;
        uint8_t sourceRows = 1;
        source_->ReadRow(row_.data(), number, length, repeat, sourceRows);
        if (length == 0)
            break;
        if (first && nextRow_ == 0)
            nextRow_ = number;
        first = false;
        JSAMPROW line = row_.data();
        // A repeated row goes in as often as it stands, never past the image's height.
        for (uint32_t k = 0; k < std::max<uint32_t>(repeat, 1) && written < height; ++k) {
            if (jpeg_write_scanlines(cinfo, &line, 1) != 1)
                break;
            ++written;
            if (rows < 255)
                ++rows;
            ++nextRow_;
        }
    }
    if (written < height) {
        // The source ended early: an unfinished stream is no image.
        jpeg_destroy_compress(cinfo);
        lib->created = false;
        return false;
    }
    jpeg_finish_compress(cinfo);
    jpeg_destroy_compress(cinfo);
    lib->created = false;
    rowNumber = nextRow_;
    return true;
}
