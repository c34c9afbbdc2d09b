// A pen that draws dashes: the lengths of the dashes and gaps in turn, started at an
// offset into the pattern.
// It is applied through the peripheral's ApplyDashedPen.
#pragma once

#include "graphics/GPen.h"

#include <memory>

class GDashedPen : public GPersistent<GDashedPen, GPen, 203> {
public:
    static constexpr const char* kClassName = "GDashedPen";
    GDashedPen* CreateNew() const override { return new GDashedPen; }
    GDashedPen* Copy() const override { return new GDashedPen(*this); }

    // Width 0, no paint, no dashes, offset 0.
    GDashedPen();
    // Takes the array of lengths (made with new[]); a null array gives no dashes.
    GDashedPen(uint16_t* lengths, uint32_t count, int16_t width, GPaint* paint, int16_t offset, const long& id = 0);
    GDashedPen(const GDashedPen& other);
    GDashedPen& operator=(const GDashedPen& other);
    ~GDashedPen() override;

    // The pen comparison, then equal counts, offsets and lengths.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    // Null when there are no dashes.
    const uint16_t* GetDashArray() const { return dashes_.get(); }
    uint32_t GetDashCount() const { return count_; }
    int16_t GetDashOffset() const { return offset_; }

    // Offset i16, count u32, the lengths as u16.
    auto StoredForm() { return GFields(offset_, count_, GItems(dashes_, count_)); }
    bool Settle() { return count_ == 0 || dashes_ != nullptr; }

private:
    int16_t offset_;
    uint32_t count_;
    std::unique_ptr<uint16_t[]> dashes_;
};
