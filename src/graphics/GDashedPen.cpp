#include "graphics/GDashedPen.h"

#include "model/GAttributeVisitor.h"

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

int16_t GDashedPen::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyDashedPen(*this); }
