#include "graphics/GBitmapImp.h"

#include "model/GSizeFromData.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#if defined(__i386__) || defined(__x86_64__)
#include <immintrin.h>
#endif

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
        if (row_ >= 0 && row_ < height_ && column_ >= 0 && column_ < width_) {
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

    // Saturates at the width and the height: however many moves a stream holds, the
    // position never wraps round to a place before the buffer.
    void Move(uint8_t dx, uint8_t dy)
    {
        column_ = std::min(width_, column_ + int32_t(dx));
        row_ = std::min(height_, row_ + int32_t(dy));
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

// A stream may end early and leave the rest blank, so even a short one stands for its
// whole bounds: the decoded size is limited by the bound for decoded bitmaps alone.
bool GBitmapImp::DecodeRuns(bool fourBit)
{
    const int32_t height = GetHeight();
    const uint64_t size = uint64_t(height + 1) * storedRowBytes_;
    if (!GSizeFromDataFits(size, UINT32_MAX, kMaxDecodedBitmapBytes))
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

namespace {

// How a row comes out: gray bytes, colour triples or packed pixels of some bit width.
enum class RowKind { Gray, Triple, Packed, PlanarBits };

RowKind KindOf(uint32_t reported, uint8_t bits, uint8_t planes, uint32_t mode)
{
    if (reported == 24)
        return (mode == 0 || mode == 1 || mode == 4) ? RowKind::Gray : RowKind::Triple;
    if (bits == 1 && planes == 3)
        return RowKind::PlanarBits;
    return RowKind::Packed;
}

// One colour component of a 16- or 32-bit pixel scaled to 8 bits: a component of c bits
// up to 8 is multiplied by 255 / (2^c - 1) in whole numbers (so 5 bits scale by 8), a
// wider one divided by (2^c - 1) / 255 and held at 255. All of it is worked out once per
// row, so a pixel pays a mask, a shift and a multiply; only components of 16 bits or
// more, whose divisor is no power of two, divide.
struct ComponentScale {
    uint32_t mask = 0;
    uint32_t shift = 0;
    uint32_t factor = 0;
    uint32_t divisor = 0;
    bool wide = false;

    ComponentScale() = default;
    ComponentScale(uint32_t m, uint8_t s, uint8_t count) : mask(count ? m : 0), shift(s)
    {
        if (count <= 8) {
            factor = count ? 255u / ((1u << count) - 1u) : 0;
            return;
        }
        wide = true;
        divisor = uint32_t(((uint64_t(1) << count) - 1) / 255);
        if ((divisor & (divisor - 1)) == 0) {
            // A power of two: the quotient is a shift.
            uint32_t bits = 0;
            while ((1u << bits) < divisor)
                ++bits;
            factor = bits;
            divisor = 0;
        }
    }

    uint8_t Narrow(uint32_t pixel) const { return uint8_t(((pixel & mask) >> shift) * factor); }
    uint8_t operator()(uint32_t pixel) const
    {
        const uint32_t v = (pixel & mask) >> shift;
        if (!wide)
            return uint8_t(v * factor);
        const uint32_t q = divisor ? v / divisor : v >> factor;
        return uint8_t(q < 255 ? q : 255);
    }
};

// Where converted pixels go: colour triples in either order, or gray bytes through the
// standard weights (inlined) or an installed converter.
struct PutRGB {
    uint8_t* out;
    void operator()(uint32_t i, uint8_t r, uint8_t g, uint8_t b) const
    {
        uint8_t* p = out + 3 * i;
        p[0] = r, p[1] = g, p[2] = b;
    }
};
struct PutBGR {
    uint8_t* out;
    void operator()(uint32_t i, uint8_t r, uint8_t g, uint8_t b) const
    {
        uint8_t* p = out + 3 * i;
        p[0] = b, p[1] = g, p[2] = r;
    }
};
struct PutStandardGray {
    uint8_t* out;
    void operator()(uint32_t i, uint8_t r, uint8_t g, uint8_t b) const { out[i] = DefaultGray(r, g, b); }
};
struct PutGray {
    uint8_t* out;
    GBitmapImp::GrayConverter gray;
    void operator()(uint32_t i, uint8_t r, uint8_t g, uint8_t b) const { out[i] = gray(r, g, b); }
};

// The pixels of a colour row in its stored form, each handed on as red, green, blue.
struct ColourSource {
    const uint8_t* plane[3];
    uint8_t bits;
    uint8_t planes;
    bool redFirst;
    bool narrow;
    ComponentScale scale[3];
};

template <class Put>
void ConvertColour(const ColourSource& s, uint32_t x0, uint32_t n, Put put)
{
    if (s.planes == 3) {
        const uint8_t* a = s.plane[0] + x0;
        const uint8_t* b = s.plane[1] + x0;
        const uint8_t* c = s.plane[2] + x0;
        if (s.redFirst)
            for (uint32_t i = 0; i < n; ++i)
                put(i, a[i], b[i], c[i]);
        else
            for (uint32_t i = 0; i < n; ++i)
                put(i, c[i], b[i], a[i]);
    } else if (s.bits == 24) {
        const uint8_t* p = s.plane[0] + 3 * x0;
        if (s.redFirst)
            for (uint32_t i = 0; i < n; ++i, p += 3)
                put(i, p[0], p[1], p[2]);
        else
            for (uint32_t i = 0; i < n; ++i, p += 3)
                put(i, p[2], p[1], p[0]);
    } else if (s.bits == 16) {
        const uint8_t* p = s.plane[0] + 2 * x0;
        const ComponentScale r = s.scale[0], g = s.scale[1], b = s.scale[2];
        if (s.narrow)
            for (uint32_t i = 0; i < n; ++i, p += 2) {
                const uint32_t pixel = uint32_t(p[0] | p[1] << 8);
                put(i, r.Narrow(pixel), g.Narrow(pixel), b.Narrow(pixel));
            }
        else
            for (uint32_t i = 0; i < n; ++i, p += 2) {
                const uint32_t pixel = uint32_t(p[0] | p[1] << 8);
                put(i, r(pixel), g(pixel), b(pixel));
            }
    } else {
        const uint8_t* p = s.plane[0] + 4 * x0;
        const ComponentScale r = s.scale[0], g = s.scale[1], b = s.scale[2];
        if (s.narrow)
            for (uint32_t i = 0; i < n; ++i, p += 4) {
                uint32_t pixel;
                std::memcpy(&pixel, p, 4);
                put(i, r.Narrow(pixel), g.Narrow(pixel), b.Narrow(pixel));
            }
        else
            for (uint32_t i = 0; i < n; ++i, p += 4) {
                uint32_t pixel;
                std::memcpy(&pixel, p, 4);
                put(i, r(pixel), g(pixel), b(pixel));
            }
    }
}

// Vector kernels for the common colour rows, on processors with byte shuffles (asked
// once at run time; without them every row takes the pixel loops above). Each converts
// a prefix of the row in whole groups, reading and writing only inside the span, and
// answers how many pixels it did; the pixel loops finish the rest. The arithmetic is the
// pixel loops' own: the same masks, shifts and whole-number factors, and the standard
// gray as the weighted sum times 5243 over 2^19, which equals the sum over 100 for every
// sum up to 25500.
//
// The kernels realign the stack on entry: callers on this platform may keep it at four
// bytes, and spilled vectors need sixteen.
enum class Target { RGB, BGR, Gray };

#if defined(__i386__) || defined(__x86_64__)
#define QZ_ROW_VECTORS 1

bool HasShuffles()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return has;
}

struct ShuffleMasks {
    // Three 16-byte vectors (one byte per pixel) into 48 bytes of triples: for output
    // vector v, the lanes taken from the vector of the triple's byte t.
    alignas(16) int8_t interleave[3][3][16];
    // Four 24-bit pixels: triples turned round, and spread to (c0, c1, c2, 0) words.
    alignas(16) int8_t turn24[16];
    alignas(16) int8_t words24[16];

    ShuffleMasks()
    {
        for (int v = 0; v < 3; ++v)
            for (int t = 0; t < 3; ++t)
                for (int lane = 0; lane < 16; ++lane) {
                    const int at = 16 * v + lane;
                    interleave[v][t][lane] = at % 3 == t ? int8_t(at / 3) : int8_t(-128);
                }
        for (int lane = 0; lane < 16; ++lane) {
            turn24[lane] = int8_t(lane < 12 ? lane / 3 * 3 + 2 - lane % 3 : lane);
            words24[lane] = int8_t(lane % 4 == 3 ? -128 : lane / 4 * 3 + lane % 4);
        }
    }
};

const ShuffleMasks& Masks()
{
    static const ShuffleMasks masks;
    return masks;
}

__attribute__((target("ssse3"))) inline __m128i Mask(const int8_t* lanes)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(lanes));
}

__attribute__((target("ssse3"))) inline void StoreTriples(uint8_t* out, __m128i a, __m128i b, __m128i c,
                                                          const ShuffleMasks& m)
{
    for (int v = 0; v < 3; ++v) {
        const __m128i x = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, Mask(m.interleave[v][0])),
                                                    _mm_shuffle_epi8(b, Mask(m.interleave[v][1]))),
                                       _mm_shuffle_epi8(c, Mask(m.interleave[v][2])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * v), x);
    }
}

__attribute__((target("ssse3"))) inline __m128i GrayHalf(__m128i r, __m128i g, __m128i b)
{
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(r, _mm_set1_epi16(30)),
                                                    _mm_mullo_epi16(g, _mm_set1_epi16(59))),
                                      _mm_mullo_epi16(b, _mm_set1_epi16(11)));
    return _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm_set1_epi16(5243)), 3);
}

__attribute__((target("ssse3"))) inline __m128i Gray16(__m128i r, __m128i g, __m128i b)
{
    const __m128i zero = _mm_setzero_si128();
    return _mm_packus_epi16(
        GrayHalf(_mm_unpacklo_epi8(r, zero), _mm_unpacklo_epi8(g, zero), _mm_unpacklo_epi8(b, zero)),
        GrayHalf(_mm_unpackhi_epi8(r, zero), _mm_unpackhi_epi8(g, zero), _mm_unpackhi_epi8(b, zero)));
}

// Sixteen pixels given as red, green and blue vectors, put out as the target asks.
__attribute__((target("ssse3"))) inline void Put16(uint8_t* out, Target target, __m128i r, __m128i g, __m128i b,
                                                   const ShuffleMasks& m)
{
    if (target == Target::Gray)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), Gray16(r, g, b));
    else if (target == Target::RGB)
        StoreTriples(out, r, g, b, m);
    else
        StoreTriples(out, b, g, r, m);
}

// A narrow component of 16-bit pixels, scaled to a byte as ComponentScale::Narrow does.
// Where the factor moved up by the shift still fits 16 bits, one high multiply of the
// masked pixel does shift and scale at once; the low byte is cut out only when a mask
// with gaps can scale past 255.
struct Lane16 {
    enum Kind { High, Low, Shifted } kind;
    bool cut;
    int shift;
    // Eight copies each, loaded straight into the multiply and the mask.
    alignas(16) int16_t mask[8];
    alignas(16) int16_t factor[8];

    explicit Lane16(const ComponentScale& s)
        : kind(Shifted), cut(((s.mask & 0xFFFF) >> std::min<uint32_t>(s.shift, 16)) * s.factor > 255),
          shift(int(s.shift))
    {
        uint32_t f = s.factor;
        if (s.shift == 0) {
            kind = Low;
        } else if (s.shift < 16 && (f << (16 - s.shift)) <= 0xFFFF) {
            kind = High;
            f <<= 16 - s.shift;
        }
        for (int i = 0; i < 8; ++i)
            mask[i] = int16_t(s.mask & 0xFFFF), factor[i] = int16_t(f);
    }
};

__attribute__((target("ssse3"))) inline __m128i Scale8(__m128i pixels, const Lane16& l)
{
    const __m128i masked = _mm_and_si128(pixels, _mm_load_si128(reinterpret_cast<const __m128i*>(l.mask)));
    const __m128i factor = _mm_load_si128(reinterpret_cast<const __m128i*>(l.factor));
    __m128i v;
    if (l.kind == Lane16::High)
        v = _mm_mulhi_epu16(masked, factor);
    else if (l.kind == Lane16::Low)
        v = _mm_mullo_epi16(masked, factor);
    else
        v = _mm_mullo_epi16(_mm_srl_epi16(masked, _mm_cvtsi32_si128(l.shift)), factor);
    return l.cut ? _mm_and_si128(v, _mm_set1_epi16(0xFF)) : v;
}

// The byte of each 32-bit pixel a component is, when it is a whole byte taken as it is.
int WholeByte(const ComponentScale& s)
{
    return !s.wide && s.factor == 1 && s.shift % 8 == 0 && s.mask == 0xFFu << s.shift ? int(s.shift / 8) : -1;
}

bool HasWideShuffles()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

// Standard gray of 24-bit pixels, 32 at a time on processors with 32-byte shuffles: the
// same steps as the 16-byte loop below, each half of a register taking four pixels of
// one half of the group, so that the packs leave the pixels in order.
__attribute__((target("avx2"), force_align_arg_pointer)) uint32_t WideGray24(const uint8_t* p, bool redFirst, uint32_t n, uint8_t* out)
{
    const __m256i weights = redFirst ? _mm256_setr_epi8(30, 59, 11, 0, 30, 59, 11, 0, 30, 59, 11, 0, 30, 59, 11, 0,
                                                        30, 59, 11, 0, 30, 59, 11, 0, 30, 59, 11, 0, 30, 59, 11, 0)
                                     : _mm256_setr_epi8(11, 59, 30, 0, 11, 59, 30, 0, 11, 59, 30, 0, 11, 59, 30, 0,
                                                        11, 59, 30, 0, 11, 59, 30, 0, 11, 59, 30, 0, 11, 59, 30, 0);
    const __m256i words = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(Masks().words24)));
    const __m256i ones = _mm256_set1_epi16(1), scale = _mm256_set1_epi16(5243);
    uint32_t i = 0;
    // The last load reads four bytes past the group: keep them inside the span.
    for (; i + 34 <= n; i += 32) {
        __m256i sums[4];
        for (int k = 0; k < 4; ++k) {
            const uint8_t* at = p + 3 * i + 12 * k;
            const __m256i v = _mm256_inserti128_si256(
                _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))),
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 48)), 1);
            sums[k] = _mm256_madd_epi16(_mm256_maddubs_epi16(_mm256_shuffle_epi8(v, words), weights), ones);
        }
        const __m256i lo = _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_packs_epi32(sums[0], sums[1]), scale), 3);
        const __m256i hi = _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_packs_epi32(sums[2], sums[3]), scale), 3);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_packus_epi16(lo, hi));
    }
    return i;
}

// Eight 16-bit lanes in both halves of a 32-byte register.
__attribute__((target("avx2"))) inline __m256i Wide(const int16_t* lanes)
{
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(lanes)));
}

// 16-bit pixels with the usual masks into triples, 16 at a time on processors with
// 32-byte shuffles: each pixel's three bytes are made side by side in a 32-bit word
// (first, middle, last, 0), four words are packed into twelve bytes, and the stores
// overlap by four, so a group needs room for two more pixels. The unpacks work inside
// each 16-byte half, so the halves hold pixels 0-3 and 8-11, 4-7 and 12-15.
__attribute__((target("avx2"), force_align_arg_pointer)) uint32_t WideTriples16(const uint8_t* p, const Lane16& r,
                                                                                const Lane16& g, const Lane16& b,
                                                                                bool rgb, uint32_t n, uint8_t* out)
{
    const __m256i rm = Wide(r.mask), rf = Wide(r.factor), gm = Wide(g.mask), gf = Wide(g.factor);
    const __m256i bm = Wide(b.mask), bf = Wide(b.factor);
    const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128, 0, 1, 2, 4,
                                          5, 6, 8, 9, 10, 12, 13, 14, -128, -128, -128, -128);
    uint32_t i = 0;
    for (; i + 18 <= n; i += 16) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2 * i));
        const __m256i red = _mm256_mulhi_epu16(_mm256_and_si256(v, rm), rf);
        const __m256i green = _mm256_mulhi_epu16(_mm256_and_si256(v, gm), gf);
        const __m256i blue = _mm256_mullo_epi16(_mm256_and_si256(v, bm), bf);
        const __m256i firstTwo = _mm256_or_si256(rgb ? red : blue, _mm256_slli_epi16(green, 8));
        const __m256i last = rgb ? blue : red;
        const __m256i low = _mm256_shuffle_epi8(_mm256_unpacklo_epi16(firstTwo, last), pack);
        const __m256i high = _mm256_shuffle_epi8(_mm256_unpackhi_epi16(firstTwo, last), pack);
        uint8_t* to = out + 3 * i;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm256_castsi256_si128(low));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 12), _mm256_castsi256_si128(high));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 24), _mm256_extracti128_si256(low, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 36), _mm256_extracti128_si256(high, 1));
    }
    return i;
}

__attribute__((target("ssse3"), force_align_arg_pointer)) uint32_t VectorColour(const ColourSource& s, Target target, uint32_t x0, uint32_t n,
                                                       uint8_t* out)
{
    const ShuffleMasks& m = Masks();
    const uint32_t step = target == Target::Gray ? 1 : 3;
    uint32_t i = 0;
    if (s.planes == 3) {
        const uint8_t* r = s.plane[s.redFirst ? 0 : 2] + x0;
        const uint8_t* g = s.plane[1] + x0;
        const uint8_t* b = s.plane[s.redFirst ? 2 : 0] + x0;
        for (; i + 16 <= n; i += 16)
            Put16(out + step * i, target, _mm_loadu_si128(reinterpret_cast<const __m128i*>(r + i)),
                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(g + i)),
                  _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)), m);
    } else if (s.bits == 24 && target == Target::Gray) {
        // Each pixel's bytes weighted and summed in pairs, then the pairs added.
        const __m128i weights = s.redFirst ? _mm_setr_epi8(30, 59, 11, 0, 30, 59, 11, 0, 30, 59, 11, 0, 30, 59, 11, 0)
                                           : _mm_setr_epi8(11, 59, 30, 0, 11, 59, 30, 0, 11, 59, 30, 0, 11, 59, 30, 0);
        const __m128i words = Mask(m.words24);
        const uint8_t* p = s.plane[0] + 3 * x0;
        if (HasWideShuffles())
            i = WideGray24(p, s.redFirst, n, out);
        // The last load of a group reads four bytes past it: keep them inside the span.
        for (; i + 18 <= n; i += 16) {
            __m128i sums[4];
            for (int k = 0; k < 4; ++k) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3 * i + 12 * k));
                sums[k] = _mm_maddubs_epi16(_mm_shuffle_epi8(v, words), weights);
            }
            const __m128i ones = _mm_set1_epi16(1);
            const __m128i lo = _mm_packs_epi32(_mm_madd_epi16(sums[0], ones), _mm_madd_epi16(sums[1], ones));
            const __m128i hi = _mm_packs_epi32(_mm_madd_epi16(sums[2], ones), _mm_madd_epi16(sums[3], ones));
            const __m128i scale = _mm_set1_epi16(5243);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                             _mm_packus_epi16(_mm_srli_epi16(_mm_mulhi_epu16(lo, scale), 3),
                                              _mm_srli_epi16(_mm_mulhi_epu16(hi, scale), 3)));
        }
    } else if (s.bits == 24) {
        // Only a change of order reaches here: four pixels a load, stores overlapping by
        // four bytes, so a group needs room for two more pixels.
        const __m128i turn = Mask(m.turn24);
        const uint8_t* p = s.plane[0] + 3 * x0;
        for (; i + 6 <= n; i += 4)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * i),
                             _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3 * i)), turn));
    } else if (s.bits == 16 && s.narrow) {
        const uint8_t* p = s.plane[0] + 2 * x0;
        const Lane16 r(s.scale[0]), g(s.scale[1]), b(s.scale[2]);
        if (r.kind == Lane16::High && g.kind == Lane16::High && b.kind == Lane16::Low && !r.cut && !g.cut && !b.cut) {
            // The usual masks (5-5-5, 5-6-5): two multiplies each, nothing to cut.
            if (target != Target::Gray && HasWideShuffles())
                i = WideTriples16(p, r, g, b, target == Target::RGB, n, out);
            const __m128i rm = _mm_load_si128(reinterpret_cast<const __m128i*>(r.mask));
            const __m128i gm = _mm_load_si128(reinterpret_cast<const __m128i*>(g.mask));
            const __m128i bm = _mm_load_si128(reinterpret_cast<const __m128i*>(b.mask));
            for (; i + 16 <= n; i += 16) {
                const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i));
                const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i + 16));
                const __m128i* rf = reinterpret_cast<const __m128i*>(r.factor);
                const __m128i* gf = reinterpret_cast<const __m128i*>(g.factor);
                const __m128i* bf = reinterpret_cast<const __m128i*>(b.factor);
                Put16(out + step * i, target,
                      _mm_packus_epi16(_mm_mulhi_epu16(_mm_and_si128(lo, rm), *rf),
                                       _mm_mulhi_epu16(_mm_and_si128(hi, rm), *rf)),
                      _mm_packus_epi16(_mm_mulhi_epu16(_mm_and_si128(lo, gm), *gf),
                                       _mm_mulhi_epu16(_mm_and_si128(hi, gm), *gf)),
                      _mm_packus_epi16(_mm_mullo_epi16(_mm_and_si128(lo, bm), *bf),
                                       _mm_mullo_epi16(_mm_and_si128(hi, bm), *bf)),
                      m);
            }
        }
        for (; i + 16 <= n; i += 16) {
            const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i));
            const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2 * i + 16));
            Put16(out + step * i, target, _mm_packus_epi16(Scale8(lo, r), Scale8(hi, r)),
                  _mm_packus_epi16(Scale8(lo, g), Scale8(hi, g)), _mm_packus_epi16(Scale8(lo, b), Scale8(hi, b)), m);
        }
    } else if (s.bits == 32) {
        const int r = WholeByte(s.scale[0]), g = WholeByte(s.scale[1]), b = WholeByte(s.scale[2]);
        if (r < 0 || g < 0 || b < 0)
            return 0;
        const uint8_t* p = s.plane[0] + 4 * x0;
        if (target == Target::Gray) {
            // Each component's bytes gathered from four loads into one vector.
            alignas(16) int8_t gather[3][4][16];
            const int at[3] = {r, g, b};
            for (int c = 0; c < 3; ++c)
                for (int k = 0; k < 4; ++k)
                    for (int lane = 0; lane < 16; ++lane)
                        gather[c][k][lane] = lane / 4 == k ? int8_t(lane % 4 * 4 + at[c]) : int8_t(-128);
            for (; i + 16 <= n; i += 16) {
                __m128i v[4], c3[3];
                for (int k = 0; k < 4; ++k)
                    v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * i + 16 * k));
                for (int c = 0; c < 3; ++c)
                    c3[c] = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(v[0], Mask(gather[c][0])),
                                                      _mm_shuffle_epi8(v[1], Mask(gather[c][1]))),
                                         _mm_or_si128(_mm_shuffle_epi8(v[2], Mask(gather[c][2])),
                                                      _mm_shuffle_epi8(v[3], Mask(gather[c][3]))));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), Gray16(c3[0], c3[1], c3[2]));
            }
        } else {
            // Four pixels a load into twelve bytes, stores overlapping by four.
            const int first = target == Target::RGB ? r : b, last = target == Target::RGB ? b : r;
            alignas(16) int8_t pick[16];
            for (int lane = 0; lane < 16; ++lane) {
                const int byte = lane % 3 == 0 ? first : lane % 3 == 1 ? g : last;
                pick[lane] = lane < 12 ? int8_t(lane / 3 * 4 + byte) : int8_t(-128);
            }
            const __m128i shuffle = Mask(pick);
            for (; i + 6 <= n; i += 4)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * i),
                                 _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * i)), shuffle));
        }
    }
    return i;
}

// Three planes of 1-bit pixels into 4-bit pixels, 128 at a time from byte-aligned
// starts: each plane byte's two halves are looked up (four pixels each, weighted by the
// plane's place in the 3-bit value) for the two output bytes they make, the planes'
// lookups or-ed, and the four output bytes of each plane byte interleaved into place.
struct PlaneNibbles {
    // For plane p: the first and the second output byte of four pixels given as a nibble.
    alignas(16) int8_t table[3][2][16];
    PlaneNibbles()
    {
        for (int p = 0; p < 3; ++p)
            for (int v = 0; v < 16; ++v) {
                const int high = 1 << (6 - p), low = 1 << (2 - p);
                table[p][0][v] = int8_t((v & 8 ? high : 0) | (v & 4 ? low : 0));
                table[p][1][v] = int8_t((v & 2 ? high : 0) | (v & 1 ? low : 0));
            }
    }
};

const PlaneNibbles& Nibbles()
{
    static const PlaneNibbles nibbles;
    return nibbles;
}

// The same, 256 pixels at a time. The unpacks work inside each 16-byte half, so the four
// results hold the output's quarters crosswise and are put back in order when stored.
__attribute__((target("avx2"), force_align_arg_pointer)) uint32_t WidePlanarBits(const uint8_t* const planes[3], uint32_t n, uint8_t* out)
{
    const PlaneNibbles& t = Nibbles();
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    uint32_t i = 0;
    for (; i + 256 <= n; i += 256) {
        __m256i a = _mm256_setzero_si256(), b = a, c = a, d = a;
        for (int p = 0; p < 3; ++p) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(planes[p] + i / 8));
            const __m256i high = _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble), low = _mm256_and_si256(v, nibble);
            const __m256i first = _mm256_broadcastsi128_si256(Mask(t.table[p][0]));
            const __m256i second = _mm256_broadcastsi128_si256(Mask(t.table[p][1]));
            a = _mm256_or_si256(a, _mm256_shuffle_epi8(first, high));
            b = _mm256_or_si256(b, _mm256_shuffle_epi8(second, high));
            c = _mm256_or_si256(c, _mm256_shuffle_epi8(first, low));
            d = _mm256_or_si256(d, _mm256_shuffle_epi8(second, low));
        }
        const __m256i abLow = _mm256_unpacklo_epi8(a, b), abHigh = _mm256_unpackhi_epi8(a, b);
        const __m256i cdLow = _mm256_unpacklo_epi8(c, d), cdHigh = _mm256_unpackhi_epi8(c, d);
        const __m256i q0 = _mm256_unpacklo_epi16(abLow, cdLow), q1 = _mm256_unpackhi_epi16(abLow, cdLow);
        const __m256i q2 = _mm256_unpacklo_epi16(abHigh, cdHigh), q3 = _mm256_unpackhi_epi16(abHigh, cdHigh);
        __m256i* to = reinterpret_cast<__m256i*>(out + i / 2);
        _mm256_storeu_si256(to, _mm256_permute2x128_si256(q0, q1, 0x20));
        _mm256_storeu_si256(to + 1, _mm256_permute2x128_si256(q2, q3, 0x20));
        _mm256_storeu_si256(to + 2, _mm256_permute2x128_si256(q0, q1, 0x31));
        _mm256_storeu_si256(to + 3, _mm256_permute2x128_si256(q2, q3, 0x31));
    }
    return i;
}

__attribute__((target("ssse3"), force_align_arg_pointer)) uint32_t VectorPlanarBits(const uint8_t* const planes[3], uint32_t n,
                                                           uint8_t* out)
{
    const auto& table = Nibbles().table;
    const __m128i nibble = _mm_set1_epi8(0x0F);
    uint32_t i = HasWideShuffles() ? WidePlanarBits(planes, n, out) : 0;
    for (; i + 128 <= n; i += 128) {
        __m128i a = _mm_setzero_si128(), b = a, c = a, d = a;
        for (int p = 0; p < 3; ++p) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(planes[p] + i / 8));
            const __m128i high = _mm_and_si128(_mm_srli_epi16(v, 4), nibble), low = _mm_and_si128(v, nibble);
            const __m128i first = Mask(table[p][0]), second = Mask(table[p][1]);
            a = _mm_or_si128(a, _mm_shuffle_epi8(first, high));
            b = _mm_or_si128(b, _mm_shuffle_epi8(second, high));
            c = _mm_or_si128(c, _mm_shuffle_epi8(first, low));
            d = _mm_or_si128(d, _mm_shuffle_epi8(second, low));
        }
        const __m128i abLow = _mm_unpacklo_epi8(a, b), abHigh = _mm_unpackhi_epi8(a, b);
        const __m128i cdLow = _mm_unpacklo_epi8(c, d), cdHigh = _mm_unpackhi_epi8(c, d);
        uint8_t* to = out + i / 2;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi16(abLow, cdLow));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 16), _mm_unpackhi_epi16(abLow, cdLow));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 32), _mm_unpacklo_epi16(abHigh, cdHigh));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 48), _mm_unpackhi_epi16(abHigh, cdHigh));
    }
    return i;
}
#endif

// Eight pixels of one plane byte spread to the low bit of eight 4-bit pixels: pixel j
// (from the byte's top bit) lands in byte j / 2, in the high half when j is even.
struct PlaneSpread {
    uint32_t bits[256];
    PlaneSpread()
    {
        for (uint32_t v = 0; v < 256; ++v) {
            bits[v] = 0;
            for (uint32_t j = 0; j < 8; ++j)
                if (v & (0x80u >> j))
                    bits[v] |= 1u << (8 * (j / 2) + (j % 2 == 0 ? 4 : 0));
        }
    }
};

const PlaneSpread& Spread()
{
    static const PlaneSpread table;
    return table;
}

// The eight 1-bit pixels from x (any bit position) on, as one byte, first pixel on top.
// The caller knows all eight lie inside the row, so the second byte is in it too.
inline uint8_t EightPixels(const uint8_t* row, uint32_t x)
{
    const uint32_t shift = x % 8;
    const uint8_t* at = row + x / 8;
    return shift == 0 ? at[0] : uint8_t(at[0] << shift | at[1] >> (8 - shift));
}

} // namespace

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

    uint32_t pixelBits = 8;
    if (kind == RowKind::PlanarBits) {
        // Eight pixels at a time: each plane's byte spread through a table, the three
        // combined into four output bytes. A tail under eight goes pixel by pixel.
        pixelBits = 4;
        const int first = swap ? 2 : 0;
        const int step = swap ? -1 : 1;
        const uint8_t* p0 = plane[first];
        const uint8_t* p1 = plane[first + step];
        const uint8_t* p2 = plane[first + 2 * step];
        const uint32_t* spread = Spread().bits;
        const uint32_t groups = n / 8;
        uint32_t g = 0;
#ifdef QZ_ROW_VECTORS
        if (x0 % 8 == 0 && HasShuffles()) {
            const uint8_t* const planes[3] = {p0 + x0 / 8, p1 + x0 / 8, p2 + x0 / 8};
            g = VectorPlanarBits(planes, n, buffer) / 8;
        }
#endif
        for (; g < groups; ++g) {
            const uint32_t x = uint32_t(x0) + 8 * g;
            const uint32_t word = spread[EightPixels(p0, x)] << 2 | spread[EightPixels(p1, x)] << 1 |
                                  spread[EightPixels(p2, x)];
            std::memcpy(buffer + 4 * g, &word, 4);
        }
        std::memset(buffer + 4 * groups, 0x77, size - 4 * groups);
        for (uint32_t i = 8 * groups; i < n; ++i) {
            const uint8_t v = uint8_t(PackedPixel(p0, x0 + i, 1) << 2 | PackedPixel(p1, x0 + i, 1) << 1 |
                                      PackedPixel(p2, x0 + i, 1));
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
        ColourSource source{{plane[0], plane[1], plane[2]}, bitsPerPixel_, planes_, colorOrder_ == 1, true, {}};
        for (int c = 0; c < 3; ++c) {
            source.scale[c] = ComponentScale(masks_[c], shifts_[c], counts_[c]);
            source.narrow = source.narrow && !source.scale[c].wide;
        }
        const Target target = kind == RowKind::Gray ? Target::Gray : mode == kRowRGB ? Target::RGB : Target::BGR;
        uint32_t done = 0;
        if (target != Target::Gray && bitsPerPixel_ == 24 && planes_ == 1 && !swap) {
            // Stored in the order asked for.
            std::memcpy(buffer, src + 3 * uint32_t(x0), size);
            done = n;
        }
#ifdef QZ_ROW_VECTORS
        if (done == 0 && HasShuffles() && (target != Target::Gray || gray_ == DefaultGray))
            done = VectorColour(source, target, uint32_t(x0), n, buffer);
#endif
        const uint32_t from = uint32_t(x0) + done, left = n - done;
        if (left != 0) {
            if (target == Target::Gray && gray_ == DefaultGray)
                ConvertColour(source, from, left, PutStandardGray{buffer + done});
            else if (target == Target::Gray)
                ConvertColour(source, from, left, PutGray{buffer + done, gray_});
            else if (target == Target::RGB)
                ConvertColour(source, from, left, PutRGB{buffer + 3 * done});
            else
                ConvertColour(source, from, left, PutBGR{buffer + 3 * done});
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
