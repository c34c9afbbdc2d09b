// A device-independent bitmap: bounds, pixel format, colour masks, palette and pixel
// bytes, shared by the light GBitmap handles through its reference count. Pixels that
// arrive run-length coded are decoded when the bitmap is made (and when it is read
// back), so every reader sees plain rows. Pixels and run streams come from
// applications: a geometry the bits cannot hold makes an empty bitmap, and the run
// decoders never read past the input or write past their buffer.
#pragma once

#include "graphics/GGeometry.h"
#include "graphics/GPaletteTable.h"
#include "model/GPersistent.h"

#include <cstdint>

// What a bitmap is made of. Compression 1 is 4-bit runs, 2 is 8-bit runs; colour
// order 1 stores a 24-bit pixel as red, green, blue, any other value as blue, green,
// red. Masks are used at 16 and 32 bits per pixel when masksGiven is set.
struct GBitmapInfo {
    uint32_t ownsBits = 0;
    uint8_t* bits = nullptr;
    uint32_t bitsSize = 0;
    uint8_t rowAlignment = 1;
    GRect bounds = {0, 0, 0, 0};
    uint8_t bitsPerPixel = 8;
    uint8_t planes = 1;
    uint32_t colorOrder = 0;
    uint32_t compression = 0;
    // Taken over by the bitmap.
    GPaletteTable* palette = nullptr;
    uint32_t bottomUp = 0;
    uint32_t mirror = 0;
    uint32_t masksGiven = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint16_t segmentStep = 0;
    uint16_t segmentRows = 0;
    uint32_t segmentValue = 0;
};

// Row read modes: 3 gives colour triples as red, green, blue; 0, 1 and 4 give gray
// bytes from colour pixels; any other gives blue, green, red triples.
enum : uint32_t { kRowRGB = 3 };

class GBitmapImp : public GPersistent<GBitmapImp, GObjectBase, 552> {
public:
    static constexpr const char* kClassName = "GBitmapImp";
    static constexpr uint32_t kStoredVersion = 2;
    GBitmapImp* CreateNew() const override { return new GBitmapImp; }
    GBitmapImp* Copy() const override { return new GBitmapImp(*this); }

    typedef uint8_t (*GrayConverter)(uint8_t red, uint8_t green, uint8_t blue);

    GBitmapImp();
    explicit GBitmapImp(const GBitmapInfo& info);
    // A deep copy: bits and palette of its own.
    GBitmapImp(const GBitmapImp& other);
    GBitmapImp& operator=(const GBitmapImp&) = delete;
    ~GBitmapImp() override;

    // The same class and id, the same format and geometry, and the same pixel bytes.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }

    GRect GetBounds() const { return bounds_; }
    int32_t GetWidth() const { return bounds_.right - bounds_.left; }
    int32_t GetHeight() const { return bounds_.bottom - bounds_.top; }
    uint32_t GetBitsSize() const { return bitsSize_; }
    uint8_t* GetBits() const { return bits_; }
    uint32_t OwnsBits() const { return ownsBits_; }
    // 16 and 32 bits report 24; 1 bit in 3 planes reports 4; else planes x bits.
    uint32_t GetBitsPerPixel() const;
    uint8_t GetStoredBitsPerPixel() const { return bitsPerPixel_; }
    uint8_t GetPlanes() const { return planes_; }
    uint32_t GetColorOrder() const { return colorOrder_; }
    uint32_t GetBottomUp() const { return bottomUp_; }
    uint32_t GetMirror() const { return mirror_; }
    uint8_t GetRowAlignment() const { return rowAlignment_; }
    uint32_t GetRowBytes() const { return rowBytes_; }
    uint32_t GetStoredRowBytes() const { return storedRowBytes_; }
    bool IsCompressed() const { return compression_ != 0; }
    bool IsNull() const { return bits_ == nullptr; }
    uint32_t GetMask(int component) const { return masks_[component]; }
    uint8_t GetShift(int component) const { return shifts_[component]; }
    uint8_t GetBitCount(int component) const { return counts_[component]; }
    uint16_t GetSegmentStep() const { return segmentStep_; }
    uint16_t GetSegmentRows() const { return segmentRows_; }
    uint32_t GetSegmentValue() const { return segmentValue_; }
    // The bytes of a span of x1 - x0 pixels at the reported depth, kept to 29 bits.
    uint32_t GetSpanBytes(int32_t x0, int32_t x1) const;
    // The bits size, doubled while a compression code is set; worked out once.
    uint32_t GetDecodedSize();

    GPaletteTable* GetPalette() const { return palette_; }
    // Takes the palette over and deletes the old one.
    void SetPalette(GPaletteTable* palette);
    void SetGrayConverter(GrayConverter converter);
    // Copies bits that belong to the creator into a buffer of the bitmap's own.
    void MakeOwnCopy();

    // The bytes GetRow writes for the span and mode (x0 and x1 clamped to the width).
    uint32_t GetRowSize(int32_t x0, int32_t x1, uint32_t mode) const;
    // Copies pixels x0 to x1 - 1 of the row (rows count from the top) into the buffer,
    // which holds GetRowSize bytes, converted for the mode. x0, x1 and the row are
    // clamped to the bitmap. Answers the bytes written.
    uint32_t GetRow(uint8_t* buffer, int32_t x0, int32_t x1, int32_t row, uint32_t mode) const;

    // Version 2 only: the fields, the palette as an object reference, mirror, then the
    // bits. A bits size the data cannot hold, or anything but a palette, fails the read;
    // what only restates the others (ownership, row lengths, shifts and counts) is
    // worked out again rather than trusted.
    auto StoredForm()
    {
        return GVersion<kStoredVersion>(GFields(
            GRecomputed(ownsBits_), bitsSize_, bounds_.left, bounds_.top, bounds_.right, bounds_.bottom, bitsPerPixel_,
            planes_, colorOrder_, compression_, bottomUp_, rowAlignment_, segmentRows_, segmentValue_, segmentStep_,
            GUncompared(decodedSize_), GUncompared(decodedValid_), GRecomputed(storedRowBytes_), GRecomputed(rowBytes_),
            masksGiven_, masks_[0], GRecomputed(shifts_[0]), GRecomputed(counts_[0]), masks_[1],
            GRecomputed(shifts_[1]), GRecomputed(counts_[1]), masks_[2], GRecomputed(shifts_[2]),
            GRecomputed(counts_[2]), GOwned(palette_), mirror_, GBytes(bits_, bitsSize_)));
    }
    // After a read: the bits read are the bitmap's own; a geometry they cannot hold
    // reads as an empty bitmap.
    bool Settle()
    {
        ownsBits_ = bits_ ? 1 : 0;
        SettleShape();
        return true;
    }

private:
    // Checks the geometry, works out row bytes and masks, decodes run-coded bits; a
    // geometry the bits cannot hold leaves the bitmap empty.
    void SettleShape();
    void MakeEmpty();
    void FreeBits();
    void SetMasks(uint32_t red, uint32_t green, uint32_t blue);
    bool DecodeRuns(bool fourBit);

    uint32_t ownsBits_;
    uint32_t bitsSize_;
    GRect bounds_;
    uint8_t bitsPerPixel_;
    uint8_t planes_;
    uint32_t compression_;
    uint32_t colorOrder_;
    uint32_t bottomUp_;
    uint8_t* bits_;
    uint8_t rowAlignment_;
    GPaletteTable* palette_;
    uint16_t segmentRows_;
    uint32_t segmentValue_;
    uint16_t segmentStep_;
    uint32_t decodedSize_;
    uint32_t decodedValid_;
    uint32_t rowBytes_;
    uint32_t storedRowBytes_;
    uint32_t masksGiven_;
    uint32_t masks_[3];
    uint8_t counts_[3];
    uint8_t shifts_[3];
    uint32_t mirror_;
    GrayConverter gray_;
};
