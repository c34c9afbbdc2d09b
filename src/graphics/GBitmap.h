// A light handle on a shared GBitmapImp: copies share the pixels (and MakeOwnCopy
// through one copy reaches all), and the last handle to let go deletes them.
#pragma once

#include "graphics/GBitmapImp.h"
#include "model/GCountedRef.h"

class GBitmap : public GPersistent<GBitmap, GObjectBase, 551> {
public:
    static constexpr const char* kClassName = "GBitmap";
    GBitmap* CreateNew() const override { return new GBitmap; }
    GBitmap* Copy() const override { return new GBitmap(*this); }

    // An empty bitmap: no implementation.
    GBitmap();
    // A new implementation made of the values.
    explicit GBitmap(const GBitmapInfo& info);
    // Shares the implementation (null for none).
    explicit GBitmap(GBitmapImp* imp);
    GBitmap(const GBitmap& other) = default;
    GBitmap& operator=(const GBitmap& other);
    ~GBitmap() override;

    // The same class and id, and implementations that are the same or alike.
    bool IsSame(const GObjectBase* other) const override;

    GBitmapImp* GetImp() const { return static_cast<GBitmapImp*>(imp_.Get()); }
    bool IsNull() const { return !GetImp() || GetImp()->IsNull(); }
    GRect GetBounds() const { return GetImp() ? GetImp()->GetBounds() : GRect{0, 0, 0, 0}; }
    uint32_t GetBitsSize() const { return GetImp() ? GetImp()->GetBitsSize() : 0; }
    uint8_t* GetBits() const { return GetImp() ? GetImp()->GetBits() : nullptr; }
    uint32_t GetBitsPerPixel() const { return GetImp() ? GetImp()->GetBitsPerPixel() : 0; }
    uint32_t GetSpanBytes(int32_t x0, int32_t x1) const { return GetImp() ? GetImp()->GetSpanBytes(x0, x1) : 0; }
    bool IsCompressed() const { return GetImp() && GetImp()->IsCompressed(); }
    uint32_t GetDecodedSize() const { return GetImp() ? GetImp()->GetDecodedSize() : 0; }
    uint8_t GetRowAlignment() const { return GetImp() ? GetImp()->GetRowAlignment() : 1; }
    GPaletteTable* GetPalette() const { return GetImp() ? GetImp()->GetPalette() : nullptr; }
    // Taken over (deleted when there is no implementation to hold it).
    void SetPalette(GPaletteTable* palette);
    void SetGrayConverter(GBitmapImp::GrayConverter converter);
    void MakeOwnCopy();
    uint32_t GetRowSize(int32_t x0, int32_t x1, uint32_t mode) const
    {
        return GetImp() ? GetImp()->GetRowSize(x0, x1, mode) : 0;
    }
    uint32_t GetRow(uint8_t* buffer, int32_t x0, int32_t x1, int32_t row, uint32_t mode) const
    {
        return GetImp() ? GetImp()->GetRow(buffer, x0, x1, row, mode) : 0;
    }

    // An 8-bit bitmap with a palette of the colours in order of first appearance (rows
    // from the top), or this bitmap shared when it is not a colour bitmap, is larger
    // than 32767 pixels or holds more than 256 colours.
    GBitmap ConvertToIndexed() const;

    // Version 1, then the implementation as an object reference: nothing but an
    // implementation is taken, and the old one is let go first.
    auto StoredForm() { return GFields(GHook(*this)); }
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const;

private:
    GCountedRef imp_;
};
