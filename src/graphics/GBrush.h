// The brush that areas are filled with; the head of the brush family, which the
// settings serializer stores under its id. Like a pen, a brush shares its paint.
// It is applied through the peripheral's ApplyBrush.
#pragma once

#include "graphics/GPaint.h"
#include "model/GGraphicAttribute.h"

class GBrush : public GPersistent<GBrush, GGraphicAttribute, 251, true> {
public:
    static constexpr const char* kClassName = "GBrush";
    GBrush* CreateNew() const override { return new GBrush; }
    GBrush* Copy() const override { return new GBrush(*this); }

    // No paint.
    GBrush();
    GBrush(GPaint* paint, const long& id);
    GBrush(const GBrush& other) = default;
    // Copies the object base and the state word; the paint only when the source has one.
    GBrush& operator=(const GBrush& other);
    ~GBrush() override;

    // The same object, or the same class and id and equal paints.
    bool IsSame(const GObjectBase* other) const override;
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    // Holds the new paint and releases the old one; nothing for the paint held.
    void SetPaint(GPaint* paint);
    GPaint* GetPaint() const { return static_cast<GPaint*>(paint_.Get()); }

    auto StoredForm() { return GFields(paint_); }
    // A stored object that is not a paint is dropped.
    template <class In>
    void ReadForm(In& in);

private:
    GCountedRef paint_;
};
