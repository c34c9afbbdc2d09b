#include "graphics/GTextEscapements.h"

#include "model/GStoredCounts.h"

#include <cmath>

namespace {

const float kRadiansPerDegree = 0.0174532924f;

void Negate(GSharedArray& axis)
{
    int16_t* values = axis.WritableElements<int16_t>();
    for (uint32_t i = 0; values && i < axis.GetCount(); ++i)
        values[i] = int16_t(-values[i]);
}

} // namespace

GTextEscapements::GTextEscapements() : count_(0) {}

GTextEscapements::GTextEscapements(GSharedArray&& x, GSharedArray&& y, uint16_t count)
    : x_(std::move(x)), y_(std::move(y)), count_(count)
{
}

GTextEscapements::GTextEscapements(float direction, GSharedArray&& advances)
    : count_(uint16_t(advances.GetCount() > 0xFFFF ? 0xFFFF : advances.GetCount()))
{
    if (direction == 0.0f) {
        x_ = std::move(advances);
    } else if (direction == 90.0f) {
        Negate(advances);
        y_ = std::move(advances);
    } else if (direction == 180.0f) {
        Negate(advances);
        x_ = std::move(advances);
    } else if (direction == 270.0f) {
        y_ = std::move(advances);
    } else {
        const float radians = direction * kRadiansPerDegree;
        const double c = std::cos(radians), s = std::sin(radians);
        int16_t* x = advances.WritableElements<int16_t>();
        GSharedArray y;
        int16_t* ys = y.Allocate(advances.GetCount(), 2) ? y.WritableElements<int16_t>() : nullptr;
        double sum = 0;
        int32_t lastX = 0, lastY = 0;
        for (uint32_t i = 0; x && i < advances.GetCount(); ++i) {
            sum += x[i];
            const int32_t X = int32_t(c * sum + 0.5);
            const int32_t Y = int32_t(-(s * sum + 0.5));
            x[i] = int16_t(X - lastX);
            if (ys)
                ys[i] = int16_t(Y - lastY);
            lastX = X, lastY = Y;
        }
        x_ = std::move(advances);
        y_ = std::move(y);
    }
}

GTextEscapements::GTextEscapements(const GTextEscapements& other) : GPersistent(other), count_(other.count_)
{
    if (!other.x_.IsEmpty())
        x_.CopyFrom(other.x_.GetData(), other.x_.GetCount(), 2);
    if (!other.y_.IsEmpty())
        y_.CopyFrom(other.y_.GetData(), other.y_.GetCount(), 2);
}

GTextEscapements::~GTextEscapements() {}

void GTextEscapements::SetAdvance(GSharedArray& axis, uint32_t i, int16_t value)
{
    if (i >= count_)
        return;
    if (axis.IsEmpty()) {
        if (value == 0 || !axis.Allocate(count_, 2))
            return;
    }
    int16_t* values = axis.WritableElements<int16_t>();
    if (values && i < axis.GetCount())
        values[i] = value;
}

bool GTextEscapements::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GTextEscapements* e = GSameClass<GTextEscapements>(this, other);
    if (!e || !GObjectBase::IsSame(other) || e->count_ != count_ || e->x_.IsEmpty() != x_.IsEmpty() ||
        e->y_.IsEmpty() != y_.IsEmpty())
        return false;
    for (uint32_t i = 0; i < count_; ++i)
        if (GetXAdvance(i) != e->GetXAdvance(i) || GetYAdvance(i) != e->GetYAdvance(i))
            return false;
    return true;
}

uint32_t GTextEscapements::FieldsSize() const
{
    return 14 + (x_.IsEmpty() ? 0 : 2u * count_) + (y_.IsEmpty() ? 0 : 2u * count_);
}

template <class Out>
void GTextEscapements::WriteAxis(Out& out, const GSharedArray& axis) const
{
    GWriteField(out, int32_t(axis.IsEmpty() ? 0 : 1));
    if (axis.IsEmpty())
        return;
    for (uint32_t i = 0; i < count_; ++i)
        GWriteField(out, Advance(axis, i));
}

template <class Out>
void GTextEscapements::WriteFields(Out& out) const
{
    GWriteFields(out, count_);
    WriteAxis(out, x_);
    WriteAxis(out, y_);
}

template <class In>
bool GTextEscapements::ReadAxis(In& in, uint16_t count, GSharedArray& axis)
{
    int32_t present = 0;
    if (!GReadField(in, present))
        return false;
    if (present != 1 || count == 0)
        return true;
    if (!GCheckStoredCount(in, count, 2))
        return false;
    if (!axis.Allocate(count, 2)) {
        GRefuseStored(in);
        return false;
    }
    int16_t* values = axis.WritableElements<int16_t>();
    for (uint32_t i = 0; i < count; ++i)
        if (!GReadField(in, values[i]))
            return false;
    return true;
}

template <class In>
void GTextEscapements::ReadFields(In& in)
{
    uint16_t count = 0;
    GSharedArray x, y;
    if (!GReadFields(in, count) || !ReadAxis(in, count, x) || !ReadAxis(in, count, y))
        return;
    x_ = std::move(x);
    y_ = std::move(y);
    count_ = count;
}

template void GTextEscapements::ReadFields(RWBinaryFile&);
template void GTextEscapements::ReadFields(RWDataInStream&);
template void GTextEscapements::WriteFields(RWBinaryFile&) const;
template void GTextEscapements::WriteFields(RWDataOutStream&) const;
