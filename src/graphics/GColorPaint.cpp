#include "graphics/GColorPaint.h"

#include "graphics/GPdlWriter.h"
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

int16_t GColorPaint::ApplyAsPen(GPdlWriter& writer) { return writer.SetPenColor(*this); }

int16_t GColorPaint::ApplyAsBrush(GPdlWriter& writer) { return writer.SetBrushColor(*this); }

void GColorPaint::SetColor(GColorBase* color)
{
    if (color != color_.get())
        color_.reset(color);
}

uint32_t GColorPaint::FieldsSize() const
{
    const RWCollectable* held = color_.get();
    return 4 + (held ? held : &RWNilObject)->RecursiveStoreSize();
}

template <class Out>
void GColorPaint::WriteFields(Out& out) const
{
    GWriteField(out, kGStoredVersion);
    out << static_cast<const RWCollectable*>(color_.get());
}

// The colour read replaces the one held only when the read went through.
template <class In>
void GColorPaint::ReadFields(In& in)
{
    uint32_t version = 0;
    if (!GReadField(in, version) || version != kGStoredVersion)
        return;
    GColorBase* color = nullptr;
    in >> color;
    if (color || !GObjectBase::RestoreStopped(in))
        SetColor(color);
}

template void GColorPaint::ReadFields(RWBinaryFile&);
template void GColorPaint::ReadFields(RWDataInStream&);
template void GColorPaint::WriteFields(RWBinaryFile&) const;
template void GColorPaint::WriteFields(RWDataOutStream&) const;
