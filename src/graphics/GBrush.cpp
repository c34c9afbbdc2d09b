#include "graphics/GBrush.h"

#include "graphics/GPen.h"
#include "model/GAttributeVisitor.h"

GBrush::GBrush() {}
GBrush::GBrush(GPaint* paint, const long& id) : GPersistent(id), paint_(paint) {}
GBrush::~GBrush() {}

GBrush& GBrush::operator=(const GBrush& other)
{
    if (this != &other) {
        GGraphicAttribute::operator=(other);
        if (other.paint_)
            paint_ = other.paint_;
    }
    return *this;
}

bool GBrush::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GBrush* brush = GSameClass<GBrush>(this, other);
    return brush && GObjectBase::IsSame(other) && GPen::SamePaint(brush->GetPaint(), GetPaint());
}

int16_t GBrush::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyBrush(*this); }

void GBrush::SetPaint(GPaint* paint)
{
    if (paint != paint_.Get())
        paint_.Set(paint);
}

template <class In>
void GBrush::ReadForm(In& in)
{
    if (GReadForm(in, StoredForm()))
        GPen::DropForeignPaint(paint_);
}

template void GBrush::ReadForm(RWBinaryFile&);
template void GBrush::ReadForm(RWDataInStream&);
