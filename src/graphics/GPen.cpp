#include "graphics/GPen.h"

#include "model/GAttributeVisitor.h"

GPen::GPen() : width_(0) {}
GPen::GPen(int16_t width, GPaint* paint, const long& id) : GPersistent(id), width_(width), paint_(paint) {}
GPen::~GPen() {}

GPen& GPen::operator=(const GPen& other)
{
    if (this != &other) {
        GGraphicAttribute::operator=(other);
        width_ = other.width_;
        if (other.paint_)
            paint_ = other.paint_;
    }
    return *this;
}

bool GPen::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GPen* pen = GSameClass<GPen>(this, other);
    return pen && GObjectBase::IsSame(other) && pen->width_ == width_ && SamePaint(pen->GetPaint(), GetPaint());
}

int16_t GPen::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyPen(*this); }

void GPen::SetPaint(GPaint* paint)
{
    if (paint != paint_.Get())
        paint_.Set(paint);
}

void GPen::DropForeignPaint(GCountedRef& paint)
{
    if (paint && !paint->IsKindOf(GPaint::kClassId))
        paint.Set(nullptr);
}

bool GPen::SamePaint(const GPaint* a, const GPaint* b)
{
    if (!a || !b)
        return !a && !b;
    return a == b || a->IsSame(b);
}
