// The pen that lines are drawn with; the head of the pen family, which the settings
// serializer stores under its id. A pen shares its paint with other pens and brushes:
// it holds one counted reference, and the last holder deletes the paint.
// It is applied through the peripheral's ApplyPen.
#pragma once

#include "graphics/GPaint.h"
#include "model/GGraphicAttribute.h"

class GPen : public GPersistent<GPen, GGraphicAttribute, 201, true> {
public:
    static constexpr const char* kClassName = "GPen";
    GPen* CreateNew() const override { return new GPen; }
    GPen* Copy() const override { return new GPen(*this); }

    // Width 0, no paint.
    GPen();
    GPen(int16_t width, GPaint* paint, const long& id = 0);
    GPen(const GPen& other) = default;
    // Copies the object base, the state word and the width; the paint only when the
    // source has one (a source without paint leaves this pen's paint).
    GPen& operator=(const GPen& other);
    ~GPen() override;

    // The same object, or the same class and id, equal widths and equal paints (both
    // none, or the paints' IsSame).
    bool IsSame(const GObjectBase* other) const override;
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    int16_t SetWidth(int16_t width) { return width_ = width; }
    // Holds the new paint and releases the old one; nothing for the paint held.
    void SetPaint(GPaint* paint);
    int16_t GetWidth() const { return width_; }
    GPaint* GetPaint() const { return static_cast<GPaint*>(paint_.Get()); }

    auto StoredForm() { return GFields(width_, paint_); }
    // A stored object that is not a paint is dropped: the pen comes back without one.
    template <class In>
    void ReadForm(In& in)
    {
        if (GReadForm(in, StoredForm()))
            DropForeignPaint(paint_);
    }

    // Releases what a restore put in the reference when it is not a paint.
    static void DropForeignPaint(GCountedRef& paint);
    // Both none, or both there and IsSame.
    static bool SamePaint(const GPaint* a, const GPaint* b);

private:
    int16_t width_;
    GCountedRef paint_;
};
