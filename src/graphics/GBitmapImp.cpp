#include "graphics/GBitmapImp.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

uint8_t DefaultGray(uint8_t red, uint8_t green, uint8_t blue)
{
    return uint8_t((30u * red + 59u * green + 11u * blue) / 100u);
}

bool IsDepth(uint8_t bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Where a run decoder writes: rows of the stored row length, clipped to the width and
// the height, so a stream can move anywhere without writing outside the buffer.
class RunTarget {
public:
    RunTarget(uint8_t* out, int32_t width, int32_t height, uint32_t rowBytes, bool fourBit)
        : out_(out), width_(width), height_(height), rowBytes_(rowBytes), fourBit_(fourBit)
    {
    }

    bool Done() const { return row_ >= height_; }

    void Put(uint8_t value)
    {
        if (row_ < height_ && column_ < width_) {
            uint8_t* at = out_ + uint64_t(row_) * rowBytes_;
            if (!fourBit_)
                at[column_] = value;
            else if (column_ % 2 == 0)
                at[column_ / 2] = uint8_t((at[column_ / 2] & 0x0F) | (value << 4));
            else
                at[column_ / 2] = uint8_t((at[column_ / 2] & 0xF0) | (value & 0x0F));
        }
        wrapped_ = false;
        if (++column_ >= width_) {
            column_ = 0;
            ++row_;
            wrapped_ = true;
        }
    }

    // A line end right after the wrap at the width has nothing left to end.
    void EndLine()
    {
        if (!wrapped_) {
            column_ = 0;
            ++row_;
        }
        wrapped_ = false;
    }

    void Move(uint8_t dx, uint8_t dy)
    {
        column_ += dx;
        row_ += dy;
        wrapped_ = false;
    }

private:
    uint8_t* out_;
    int32_t width_;
    int32_t height_;
    uint32_t rowBytes_;
    bool fourBit_;
    int32_t column_ = 0;
    int32_t row_ = 0;
    bool wrapped_ = false;
};

// Pixel x of a row as a value of the given bit width (1, 4 or 8).
uint8_t PackedPixel(const uint8_t* row, uint32_t x, uint32_t bits)
{
    if (bits == 8)
        return row[x];
    const uint32_t bit = x * bits;
    return uint8_t((row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1));
}

void PutPacked(uint8_t* out, uint32_t x, uint32_t bits, uint8_t value)
{
    if (bits == 8) {
        out[x] = value;
        return;
    }
    const uint32_t bit = x * bits;
    const uint32_t shift = 8 - bits - bit % 8;
    const uint8_t mask = uint8_t(((1u << bits) - 1) << shift);
    out[bit / 8] = uint8_t((out[bit / 8] & ~mask) | ((value << shift) & mask));
}

} // namespace

GBitmapImp::GBitmapImp() : GBitmapImp(GBitmapInfo()) {}

GBitmapImp::GBitmapImp(const GBitmapInfo& info)
    : ownsBits_(info.ownsBits), bitsSize_(info.bitsSize), bounds_(info.bounds), bitsPerPixel_(info.bitsPerPixel),
      planes_(info.planes), compression_(info.compression), colorOrder_(info.colorOrder), bottomUp_(info.bottomUp),
      bits_(info.bits), rowAlignment_(info.rowAlignment), palette_(info.palette), segmentRows_(info.segmentRows),
      segmentValue_(info.segmentValue), segmentStep_(info.segmentStep), decodedSize_(0), decodedValid_(0),
      rowBytes_(0), storedRowBytes_(0), masksGiven_(info.masksGiven), masks_{info.redMask, info.greenMask, info.blueMask},
      counts_{0, 0, 0}, shifts_{0, 0, 0}, mirror_(info.mirror), gray_(DefaultGray)
{
    if (!bits_)
        bitsSize_ = 0;
    SettleShape();
}

GBitmapImp::GBitmapImp(const GBitmapImp& other)
    : GPersistent(other), ownsBits_(0), bitsSize_(0), bounds_(other.bounds_), bitsPerPixel_(other.bitsPerPixel_),
      planes_(other.planes_), compression_(other.compression_), colorOrder_(other.colorOrder_),
      bottomUp_(other.bottomUp_), bits_(nullptr), rowAlignment_(other.rowAlignment_),
      palette_(other.palette_ ? new GPaletteTable(*other.palette_) : nullptr), segmentRows_(other.segmentRows_),
      segmentValue_(other.segmentValue_), segmentStep_(other.segmentStep_), decodedSize_(other.decodedSize_),
      decodedValid_(other.decodedValid_), rowBytes_(other.rowBytes_), storedRowBytes_(other.storedRowBytes_),
      masksGiven_(other.masksGiven_), counts_{other.counts_[0], other.counts_[1], other.counts_[2]},
      shifts_{other.shifts_[0], other.shifts_[1], other.shifts_[2]}, mirror_(other.mirror_), gray_(other.gray_)
{
    std::copy(other.masks_, other.masks_ + 3, masks_);
    if (other.bits_ && other.bitsSize_ != 0) {
        bits_ = new (std::nothrow) uint8_t[other.bitsSize_];
        if (bits_) {
            std::memcpy(bits_, other.bits_, other.bitsSize_);
            bitsSize_ = other.bitsSize_;
            ownsBits_ = 1;
        } else {
            MakeEmpty();
        }
    }
}

GBitmapImp::~GBitmapImp()
{
    FreeBits();
    delete palette_;
}

void GBitmapImp::FreeBits()
{
    if (ownsBits_)
        delete[] bits_;
    bits_ = nullptr;
    bitsSize_ = 0;
    ownsBits_ = 0;
}

void GBitmapImp::MakeEmpty()
{
    FreeBits();
    bounds_ = GRect{0, 0, 0, 0};
    compression_ = 0;
    rowBytes_ = 0;
    storedRowBytes_ = 0;
}

void GBitmapImp::SetMasks(uint32_t red, uint32_t green, uint32_t blue)
{
    const uint32_t given[3] = {red, green, blue};
    for (int i = 0; i < 3; ++i) {
        masks_[i] = given[i];
        shifts_[i] = 0;
        counts_[i] = 0;
        if (bitsPerPixel_ != 16 && bitsPerPixel_ != 32)
            continue;
        for (uint32_t m = given[i]; m != 0 && (m & 1) == 0; m >>= 1)
            ++shifts_[i];
        for (uint32_t m = given[i]; m != 0; m &= m - 1)
            ++counts_[i];
    }
}

void GBitmapImp::SettleShape()
{
    if (rowAlignment_ == 0)
        rowAlignment_ = 1;
    const int16_t width = int16_t(bounds_.right - bounds_.left);
    const int16_t height = int16_t(bounds_.bottom - bounds_.top);
    // Three planes are defined for 1- and 8-bit pixels only.
    const bool shapeOk = IsDepth(bitsPerPixel_) && (planes_ == 1 || (planes_ == 3 && (bitsPerPixel_ == 1 || bitsPerPixel_ == 8))) &&
                         width >= 0 && height >= 0 && bounds_.right - bounds_.left == width &&
                         bounds_.bottom - bounds_.top == height;
    if (!shapeOk) {
        MakeEmpty();
        SetMasks(0, 0, 0);
        return;
    }
    rowBytes_ = (uint32_t(width) * bitsPerPixel_ + 7) / 8;
    storedRowBytes_ = (rowBytes_ + rowAlignment_ - 1) / rowAlignment_ * rowAlignment_;

    if (masksGiven_)
        SetMasks(masks_[0], masks_[1], masks_[2]);
    else if (bitsPerPixel_ == 32)
        SetMasks(0xFF0000, 0xFF00, 0xFF);
    else if (bitsPerPixel_ == 16)
        SetMasks(0x7C00, 0x3E0, 0x1F);
    else
        SetMasks(masks_[0], masks_[1], masks_[2]);

    bool ok = true;
    if (compression_ == 1 || compression_ == 2) {
        // Each decoder writes pixels of its own depth in one plane.
        const bool fourBit = compression_ == 1;
        ok = planes_ == 1 && bitsPerPixel_ == (fourBit ? 4 : 8) && DecodeRuns(fourBit);
    } else if (compression_ != 0) {
        ok = false;
    }
    if (ok && bits_)
        ok = uint64_t(planes_) * uint64_t(height) * storedRowBytes_ <= bitsSize_;
    if (!ok)
        MakeEmpty();
}

bool GBitmapImp::DecodeRuns(bool fourBit)
{
    const int32_t height = GetHeight();
    const uint64_t size = uint64_t(height + 1) * storedRowBytes_;
    if (size > UINT32_MAX)
        return false;
    uint8_t* out = new (std::nothrow) uint8_t[size_t(size)]();
    if (!out)
        return false;
    RunTarget target(out, GetWidth(), height, storedRowBytes_, fourBit);
    const uint8_t* in = bits_;
    const uint32_t end = bits_ ? bitsSize_ : 0;
    uint32_t at = 0;
    while (!target.Done() && end - at >= 2) {
        const uint8_t n = in[at];
        const uint8_t v = in[at + 1];
        at += 2;
        if (n > 0) {
            for (uint32_t i = 0; i < n && !target.Done(); ++i)
                target.Put(fourBit ? uint8_t(i % 2 == 0 ? v >> 4 : v & 0x0F) : v);
        } else if (v == 0) {
            target.EndLine();
        } else if (v == 1) {
            break;
        } else if (v == 2) {
            if (end - at < 2)
                break;
            target.Move(in[at], in[at + 1]);
            at += 2;
        } else {
            const uint32_t bytes = fourBit ? (v + 1u) / 2u : v;
            if (end - at < bytes)
                break;
            for (uint32_t i = 0; i < v; ++i)
                target.Put(fourBit ? uint8_t(i % 2 == 0 ? in[at + i / 2] >> 4 : in[at + i / 2] & 0x0F) : in[at + i]);
            at += bytes;
            at = std::min(end, at + (at & 1u));
        }
    }
    FreeBits();
    bits_ = out;
    bitsSize_ = uint32_t(size);
    ownsBits_ = 1;
    compression_ = 0;
    return true;
}

uint32_t GBitmapImp::GetBitsPerPixel() const
{
    if (bitsPerPixel_ == 16 || bitsPerPixel_ == 32)
        return 24;
    if (bitsPerPixel_ == 1 && planes_ == 3)
        return 4;
    return uint32_t(planes_) * bitsPerPixel_;
}

uint32_t GBitmapImp::GetSpanBytes(int32_t x0, int32_t x1) const
{
    return uint32_t((int64_t(GetBitsPerPixel()) * (int64_t(x1) - x0) + 7) / 8) & 0x1FFFFFFF;
}

uint32_t GBitmapImp::GetDecodedSize()
{
    if (!decodedValid_) {
        decodedSize_ = compression_ ? bitsSize_ * 2 : bitsSize_;
        decodedValid_ = 1;
    }
    return decodedSize_;
}

void GBitmapImp::SetPalette(GPaletteTable* palette)
{
    if (palette != palette_)
        delete palette_;
    palette_ = palette;
}

void GBitmapImp::SetGrayConverter(GrayConverter converter) { gray_ = converter ? converter : DefaultGray; }

void GBitmapImp::MakeOwnCopy()
{
    if (ownsBits_ || !bits_ || bitsSize_ == 0)
        return;
    uint8_t* copy = new (std::nothrow) uint8_t[bitsSize_];
    if (!copy)
        return;
    std::memcpy(copy, bits_, bitsSize_);
    bits_ = copy;
    ownsBits_ = 1;
}

uint8_t GBitmapImp::Component(uint32_t pixel, int component) const
{
    const uint32_t c = counts_[component];
    if (c == 0)
        return 0;
    const uint64_t v = (pixel & masks_[component]) >> shifts_[component];
    const uint64_t full = (uint64_t(1) << c) - 1;
    if (c == 8)
        return uint8_t(v);
    if (c > 8)
        return uint8_t(std::min<uint64_t>(255, v / (full / 255)));
    return uint8_t(v * (255 / full));
}

namespace {

// How a row comes out: gray bytes, colour triples or packed pixels of some bit width.
enum class RowKind { Gray, Triple, Packed, PlanarBits };

} // namespace

static RowKind KindOf(uint32_t reported, uint8_t bits, uint8_t planes, uint32_t mode)
{
    if (reported == 24)
        return (mode == 0 || mode == 1 || mode == 4) ? RowKind::Gray : RowKind::Triple;
    if (bits == 1 && planes == 3)
        return RowKind::PlanarBits;
    return RowKind::Packed;
}

uint32_t GBitmapImp::GetRowSize(int32_t x0, int32_t x1, uint32_t mode) const
{
    x0 = std::max(0, std::min(x0, GetWidth()));
    x1 = std::max(x0, std::min(x1, GetWidth()));
    const uint32_t n = uint32_t(x1 - x0);
    switch (KindOf(GetBitsPerPixel(), bitsPerPixel_, planes_, mode)) {
    case RowKind::Gray:
        return n;
    case RowKind::Triple:
        return 3 * n;
    case RowKind::PlanarBits:
        return (n + 1) / 2;
    default:
        return (n * bitsPerPixel_ + 7) / 8;
    }
}

uint32_t GBitmapImp::GetRow(uint8_t* buffer, int32_t x0, int32_t x1, int32_t row, uint32_t mode) const
{
    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    if (!bits_ || !buffer || height <= 0 || width <= 0)
        return 0;
    x0 = std::max(0, std::min(x0, width));
    x1 = std::max(x0, std::min(x1, width));
    row = std::max(0, std::min(row, height - 1));
    const uint32_t n = uint32_t(x1 - x0);
    const uint32_t stored = bottomUp_ ? uint32_t(height - 1 - row) : uint32_t(row);
    const uint8_t* src = bits_ + uint64_t(planes_) * stored * storedRowBytes_;
    const uint8_t* plane[3] = {src, src + storedRowBytes_, src + 2 * storedRowBytes_};
    const bool swap = (colorOrder_ == 1) != (mode == kRowRGB);
    const RowKind kind = KindOf(GetBitsPerPixel(), bitsPerPixel_, planes_, mode);
    const uint32_t size = GetRowSize(x0, x1, mode);

    // One pixel given as red, green, blue, put out as the mode asks.
    auto emit = [&](uint32_t i, uint8_t r, uint8_t g, uint8_t b) {
        if (kind == RowKind::Gray) {
            buffer[i] = gray_(r, g, b);
        } else if (mode == kRowRGB) {
            buffer[3 * i] = r, buffer[3 * i + 1] = g, buffer[3 * i + 2] = b;
        } else {
            buffer[3 * i] = b, buffer[3 * i + 1] = g, buffer[3 * i + 2] = r;
        }
    };
    uint32_t pixelBits = 8;
    if (kind == RowKind::PlanarBits) {
        pixelBits = 4;
        std::memset(buffer, 0x77, size);
        const int first = swap ? 2 : 0;
        const int step = swap ? -1 : 1;
        for (uint32_t i = 0; i < n; ++i) {
            uint8_t v = 0;
            for (int p = 0; p < 3; ++p)
                v = uint8_t(v | (PackedPixel(plane[first + step * p], x0 + i, 1) << (2 - p)));
            PutPacked(buffer, i, 4, v);
        }
    } else if (kind == RowKind::Packed) {
        pixelBits = bitsPerPixel_;
        const uint32_t bit = uint32_t(x0) * bitsPerPixel_;
        const uint32_t shift = bit % 8;
        if (shift == 0)
            std::memcpy(buffer, src + bit / 8, size);
        for (uint32_t i = 0; i < size && shift != 0; ++i) {
            const uint32_t at = bit / 8 + i;
            uint8_t v = uint8_t(src[at] << shift);
            if (at + 1 < rowBytes_)
                v = uint8_t(v | (src[at + 1] >> (8 - shift)));
            buffer[i] = v;
        }
    } else {
        pixelBits = kind == RowKind::Gray ? 8 : 24;
        for (uint32_t i = 0; i < n; ++i) {
            const uint32_t x = uint32_t(x0) + i;
            uint8_t c[3] = {0, 0, 0};
            if (bitsPerPixel_ == 8 && planes_ == 3) {
                c[0] = plane[0][x], c[1] = plane[1][x], c[2] = plane[2][x];
            } else if (bitsPerPixel_ == 24) {
                c[0] = src[3 * x], c[1] = src[3 * x + 1], c[2] = src[3 * x + 2];
            } else {
                const uint8_t* p = src + x * (bitsPerPixel_ / 8);
                const uint32_t pixel = bitsPerPixel_ == 16 ? uint32_t(p[0] | p[1] << 8)
                                                           : uint32_t(p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24);
                emit(i, Component(pixel, 0), Component(pixel, 1), Component(pixel, 2));
                continue;
            }
            // Stored order: red first when the colour order is 1.
            if (colorOrder_ == 1)
                emit(i, c[0], c[1], c[2]);
            else
                emit(i, c[2], c[1], c[0]);
        }
    }
    if (mirror_ && n > 1) {
        const uint32_t bytes = pixelBits / 8;
        if (bytes == 0) {
            std::vector<uint8_t> values(n);
            for (uint32_t i = 0; i < n; ++i)
                values[i] = PackedPixel(buffer, i, pixelBits);
            for (uint32_t i = 0; i < n; ++i)
                PutPacked(buffer, i, pixelBits, values[n - 1 - i]);
        } else {
            for (uint32_t i = 0, j = n - 1; i < j; ++i, --j)
                std::swap_ranges(buffer + i * bytes, buffer + (i + 1) * bytes, buffer + j * bytes);
        }
    }
    return size;
}
