#include "graphics/GClipToRectangle.h"

#include "model/GAttributeVisitor.h"

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

bool GClipToRectangle::Settle()
{
    std::vector<GRect> read;
    read.swap(rectangles_);
    capacity_ = 1;
    for (const GRect& r : read)
        AddRectangle(r);
    return true;
}

