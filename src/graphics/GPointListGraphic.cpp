#include "graphics/GPointListGraphic.h"

#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace {

std::unique_ptr<GPoint[]> NewPoints(uint64_t count)
{
    if (count == 0 || count > PTRDIFF_MAX / sizeof(GPoint))
        return nullptr;
    return std::unique_ptr<GPoint[]>(new (std::nothrow) GPoint[size_t(count)]);
}

} // namespace

GPointListGraphic::GPointListGraphic() {}

GPointListGraphic::GPointListGraphic(const GRect& bounds, uint32_t mode)
    : mode_(mode), boundsValid_(1), bounds_(bounds)
{
}

GPointListGraphic::GPointListGraphic(const GPointArray& points, GState* state, const long& id)
    : GStoredLevel(state, id)
{
    TakePoints(points);
}

GPointListGraphic::GPointListGraphic(const GRect& bounds, const GPointArray& points, uint32_t mode, GState* state,
                                     const long& id)
    : GStoredLevel(state, id), mode_(mode), boundsValid_(1), bounds_(bounds)
{
    TakePoints(points);
}

GPointListGraphic::GPointListGraphic(const GPointListGraphic& other)
    : GStoredLevel(other), mode_(other.mode_), boundsValid_(other.boundsValid_), pad_(other.pad_),
      bounds_(other.bounds_), start_(other.start_), end_(other.end_), corner_(other.corner_)
{
    TakePoints({other.IsOwned() ? 1u : 0u, nullptr, other.points_, other.count_});
}

GPointListGraphic& GPointListGraphic::operator=(const GPointListGraphic& other)
{
    if (this != &other) {
        GGraphic::operator=(other);
        mode_ = other.mode_;
        boundsValid_ = other.boundsValid_;
        pad_ = other.pad_;
        bounds_ = other.bounds_;
        start_ = other.start_;
        end_ = other.end_;
        corner_ = other.corner_;
        TakePoints({other.IsOwned() ? 1u : 0u, nullptr, other.points_, other.count_});
    }
    return *this;
}

GPointListGraphic::~GPointListGraphic() {}

void GPointListGraphic::TakePoints(const GPointArray& points)
{
    if (points.count == 0 || !points.points) {
        Own(nullptr, 0);
    } else if (points.copy) {
        OwnCopyOf(points.points, points.count);
    } else {
        owned_.reset();
        points_ = points.points;
        count_ = points.count;
    }
}

void GPointListGraphic::OwnCopyOf(const GPoint* points, uint32_t count)
{
    std::unique_ptr<GPoint[]> copy = NewPoints(count);
    if (copy)
        std::copy(points, points + count, copy.get());
    Own(std::move(copy), count);
}

void GPointListGraphic::Own(std::unique_ptr<GPoint[]> buffer, uint32_t count)
{
    owned_ = std::move(buffer);
    points_ = owned_.get();
    count_ = owned_ ? count : 0;
}

void GPointListGraphic::DropFirstPoint()
{
    if (count_ == 0)
        return;
    ++points_;
    if (--count_ == 0) {
        owned_.reset();
        points_ = nullptr;
    }
}

bool GPointListGraphic::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    if (!other || other->ClassId() != ClassId())
        return false;
    const GPointListGraphic* list = dynamic_cast<const GPointListGraphic*>(other);
    if (!list || !LikeCommandPart(*list))
        return false;
    if (boundsValid_ && list->boundsValid_ && bounds_ != list->bounds_)
        return false;
    return mode_ == list->mode_ && start_ == list->start_ && end_ == list->end_ && corner_ == list->corner_ &&
           count_ == list->count_ && std::equal(points_, points_ + count_, list->points_);
}

void GPointListGraphic::Prepare()
{
    if (count_ != 0 && !owned_)
        OwnCopyOf(points_, count_);
}

GRect GPointListGraphic::GetBounds()
{
    if (!boundsValid_ && count_ > 1) {
        bounds_ = GRect{start_.x, start_.y, start_.x, start_.y};
        for (uint32_t i = 0; i < count_; ++i)
            UniteRect(bounds_, GRect{points_[i].x, points_[i].y, points_[i].x, points_[i].y});
    }
    boundsValid_ = 1;
    return bounds_;
}

GPointArray GPointListGraphic::GetPointArray() const
{
    return {IsOwned() ? 1u : 0u, owned_.get(), points_, count_};
}

template <class Out>
void GPointListGraphic::WriteFields(Out& out) const
{
    GWriteFields(out, mode_, count_);
    for (uint32_t i = 0; i < count_; ++i) {
        GWriteField(out, points_[i].x);
        GWriteField(out, points_[i].y);
    }
    GWriteField(out, boundsValid_);
    GWriteField(out, pad_);
    for (int16_t word : {bounds_.left, bounds_.top, bounds_.right, bounds_.bottom, start_.x, start_.y, end_.x,
                         end_.y, corner_.x, corner_.y})
        GWriteField(out, word);
}

template <class In>
void GPointListGraphic::ReadFields(In& in)
{
    uint32_t mode = 0;
    uint32_t count = 0;
    if (!GReadFields(in, mode, count) || !GCheckStoredCount(in, count, 4))
        return;
    std::unique_ptr<GPoint[]> points = NewPoints(count);
    if (count != 0 && !points) {
        GRefuseStored(in);
        return;
    }
    for (uint32_t i = 0; i < count; ++i)
        if (!GReadField(in, points[i].x) || !GReadField(in, points[i].y))
            return;
    uint16_t valid = 0;
    uint16_t pad = 0;
    GRect bounds;
    GPoint start, end, corner;
    if (!GReadField(in, valid) || !GReadField(in, pad) || !GReadField(in, bounds.left) ||
        !GReadField(in, bounds.top) || !GReadField(in, bounds.right) || !GReadField(in, bounds.bottom) ||
        !GReadField(in, start.x) || !GReadField(in, start.y) || !GReadField(in, end.x) || !GReadField(in, end.y) ||
        !GReadField(in, corner.x) || !GReadField(in, corner.y))
        return;
    mode_ = mode;
    Own(std::move(points), count);
    boundsValid_ = valid;
    pad_ = pad;
    bounds_ = bounds;
    start_ = start;
    end_ = end;
    corner_ = corner;
}

template void GPointListGraphic::ReadFields(RWBinaryFile&);
template void GPointListGraphic::ReadFields(RWDataInStream&);
template void GPointListGraphic::WriteFields(RWBinaryFile&) const;
template void GPointListGraphic::WriteFields(RWDataOutStream&) const;
