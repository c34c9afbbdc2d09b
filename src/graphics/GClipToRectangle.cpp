#include "graphics/GClipToRectangle.h"

#include "model/GAttributeVisitor.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

GClipToRectangle::GClipToRectangle() : capacity_(1) { rectangles_.reserve(capacity_); }

GClipToRectangle::GClipToRectangle(const GRect& rectangle, uint32_t operation, uint32_t mode, const long& id)
    : GPersistent(operation, mode, id), capacity_(1)
{
    rectangles_.reserve(capacity_);
    AddRectangle(rectangle);
}

GClipToRectangle::GClipToRectangle(const GClipToRectangle& other)
    : GPersistent(other), capacity_(other.capacity_), rectangles_(other.rectangles_)
{
}

GClipToRectangle& GClipToRectangle::operator=(const GClipToRectangle& other)
{
    if (this != &other) {
        GClipAttribute::operator=(other);
        capacity_ = other.capacity_;
        rectangles_ = other.rectangles_;
    }
    return *this;
}

GClipToRectangle::~GClipToRectangle() {}

bool GClipToRectangle::IsSame(const GObjectBase* other) const
{
    return GClipAttribute::IsSame(other) && static_cast<const GClipToRectangle*>(other)->rectangles_ == rectangles_;
}

int16_t GClipToRectangle::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyClipToRectangle(*this); }

bool GClipToRectangle::GetBounds(GRect& bounds) const
{
    if (rectangles_.empty()) {
        bounds = GRect{0, 0, 0, 0};
        return false;
    }
    bounds = rectangles_[0];
    for (const GRect& r : rectangles_)
        UniteRect(bounds, r);
    return true;
}

void GClipToRectangle::AddRectangle(const GRect& rectangle)
{
    if (rectangles_.size() >= capacity_) {
        capacity_ = GetCount() + 64;
        rectangles_.reserve(capacity_);
    }
    rectangles_.push_back(rectangle);
}

GRect GClipToRectangle::GetRectangle(uint32_t index) const
{
    return index < GetCount() ? rectangles_[index] : GRect{0, 0, 0, 0};
}

template <class Out>
void GClipToRectangle::WriteFields(Out& out) const
{
    GWriteFields(out, GetCount());
    for (const GRect& r : rectangles_) {
        GWriteField(out, r.left);
        GWriteField(out, r.top);
        GWriteField(out, r.right);
        GWriteField(out, r.bottom);
    }
}

template <class In>
void GClipToRectangle::ReadFields(In& in)
{
    uint32_t count = 0;
    if (!GReadFields(in, count) || !GCheckStoredCount(in, count, 8))
        return;
    std::vector<GRect> read(count);
    for (GRect& r : read)
        if (!GReadField(in, r.left) || !GReadField(in, r.top) || !GReadField(in, r.right) ||
            !GReadField(in, r.bottom))
            return;
    rectangles_.clear();
    capacity_ = 1;
    for (const GRect& r : read)
        AddRectangle(r);
}

template void GClipToRectangle::ReadFields(RWBinaryFile&);
template void GClipToRectangle::ReadFields(RWDataInStream&);
template void GClipToRectangle::WriteFields(RWBinaryFile&) const;
template void GClipToRectangle::WriteFields(RWDataOutStream&) const;
