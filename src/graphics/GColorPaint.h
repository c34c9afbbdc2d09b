// A paint of one colour, which it owns. Pens and brushes share it; the writers read its
// colour when they set the pen or brush colour.
#pragma once

#include "graphics/GColorBase.h"
#include "graphics/GPaint.h"

#include <memory>

class GPdlTarget;

class GColorPaint : public GPersistent<GColorPaint, GPaint, 152, true> {
public:
    static constexpr const char* kClassName = "GColorPaint";
    GColorPaint* CreateNew() const override { return new GColorPaint; }
    GColorPaint* Copy() const override { return new GColorPaint(*this); }

    // Takes the colour (null: none).
    explicit GColorPaint(GColorBase* color = nullptr);
    // Copies the colour.
    GColorPaint(const GColorPaint& other);
    GColorPaint& operator=(const GColorPaint& other);
    ~GColorPaint() override;

    // The same object, or the same class and id; then, when both hold a colour, the
    // colours' IsSame.
    bool IsSame(const GObjectBase* other) const override;

    // The paint applied as the writer's pen or brush colour: the writer's colour
    // operation of the paint form, and its status.
    int16_t ApplyAsPen(GPdlTarget& writer);
    int16_t ApplyAsBrush(GPdlTarget& writer);

    // Deletes the colour held and takes the new one; nothing for the colour held.
    void SetColor(GColorBase* color);
    GColorBase* GetColor() const { return color_.get(); }

    // The colour as a nullable object reference; anything else read there is refused.
    auto StoredForm() { return GFields(GOwned(color_)); }

private:
    std::unique_ptr<GColorBase> color_;
};
