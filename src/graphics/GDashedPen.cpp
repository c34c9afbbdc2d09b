#include "graphics/GDashedPen.h"

#include "model/GAttributeVisitor.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <algorithm>

namespace {

std::unique_ptr<uint16_t[]> CopyOf(const uint16_t* lengths, uint32_t count)
{
    if (!lengths || count == 0)
        return nullptr;
    std::unique_ptr<uint16_t[]> copy(new uint16_t[count]);
    std::copy(lengths, lengths + count, copy.get());
    return copy;
}

} // namespace

GDashedPen::GDashedPen() : offset_(0), count_(0) {}

GDashedPen::GDashedPen(uint16_t* lengths, uint32_t count, int16_t width, GPaint* paint, int16_t offset,
                       const long& id)
    : GPersistent(width, paint, id), offset_(offset), count_(lengths ? count : 0), dashes_(lengths)
{
}

GDashedPen::GDashedPen(const GDashedPen& other)
    : GPersistent(other), offset_(other.offset_), count_(other.count_), dashes_(CopyOf(other.GetDashArray(), other.count_))
{
}

GDashedPen& GDashedPen::operator=(const GDashedPen& other)
{
    if (this != &other) {
        GPen::operator=(other);
        dashes_ = CopyOf(other.GetDashArray(), other.count_);
        count_ = dashes_ ? other.count_ : 0;
        offset_ = other.offset_;
    }
    return *this;
}

GDashedPen::~GDashedPen() {}

bool GDashedPen::IsSame(const GObjectBase* other) const
{
    if (!GPen::IsSame(other))
        return false;
    const GDashedPen* pen = static_cast<const GDashedPen*>(other);
    return pen == this || (pen->count_ == count_ && pen->offset_ == offset_ &&
                           std::equal(GetDashArray(), GetDashArray() + count_, pen->GetDashArray()));
}

int16_t GDashedPen::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyDashedPen(*this); }

template <class Out>
void GDashedPen::WriteFields(Out& out) const
{
    GWriteFields(out, offset_, count_);
    for (uint32_t i = 0; i < count_; ++i)
        GWriteField(out, dashes_[i]);
}

// The stored count is checked against the bytes that can still follow before the
// lengths are allocated; the pen changes only once every length has arrived.
template <class In>
void GDashedPen::ReadFields(In& in)
{
    int16_t offset = 0;
    uint32_t count = 0;
    if (!GReadFields(in, offset, count) || !GCheckStoredCount(in, count, 2))
        return;
    std::unique_ptr<uint16_t[]> lengths(count ? new uint16_t[count] : nullptr);
    for (uint32_t i = 0; i < count; ++i)
        if (!GReadField(in, lengths[i]))
            return;
    offset_ = offset;
    count_ = count;
    dashes_ = std::move(lengths);
}

template void GDashedPen::ReadFields(RWBinaryFile&);
template void GDashedPen::ReadFields(RWDataInStream&);
template void GDashedPen::WriteFields(RWBinaryFile&) const;
template void GDashedPen::WriteFields(RWDataOutStream&) const;
