#include "graphics/GColorPaint.h"

#include "graphics/GPdlTarget.h"
#include "model/GStoredFields.h"

namespace {

GColorBase* CopyOf(const GColorBase* color) { return color ? static_cast<GColorBase*>(color->Copy()) : nullptr; }

} // namespace

GColorPaint::GColorPaint(GColorBase* color) : color_(color) {}
GColorPaint::GColorPaint(const GColorPaint& other) : GPersistent(other), color_(CopyOf(other.GetColor())) {}

GColorPaint& GColorPaint::operator=(const GColorPaint& other)
{
    if (this != &other) {
        GPaint::operator=(other);
        color_.reset(CopyOf(other.GetColor()));
    }
    return *this;
}

GColorPaint::~GColorPaint() {}

bool GColorPaint::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GColorPaint* paint = GSameClass<GColorPaint>(this, other);
    if (!paint || !GObjectBase::IsSame(other))
        return false;
    return !color_ || !paint->color_ || color_->IsSame(paint->color_.get());
}

int16_t GColorPaint::ApplyAsPen(GPdlTarget& writer) { return writer.SetPenColor(*this); }

int16_t GColorPaint::ApplyAsBrush(GPdlTarget& writer) { return writer.SetBrushColor(*this); }

void GColorPaint::SetColor(GColorBase* color)
{
    if (color != color_.get())
        color_.reset(color);
}
