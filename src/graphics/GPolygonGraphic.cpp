#include "graphics/GPolygonGraphic.h"

#include "model/GCommandHandler.h"

#include <algorithm>
#include <cstdint>
#include <new>

GPolygonGraphic::GPolygonGraphic() {}

GPolygonGraphic::GPolygonGraphic(const GPointArray& points, GState* state, const long& id)
    : GPersistent(points, state, id)
{
    const uint32_t count = GetDataSize();
    if (count == 0 || *GetPoint(0) == *GetPoint(count - 1))
        return;
    std::unique_ptr<GPoint[]> closed;
    if (count < PTRDIFF_MAX / sizeof(GPoint))
        closed.reset(new (std::nothrow) GPoint[size_t(count) + 1]);
    if (closed) {
        closed[0] = *GetPoint(count - 1);
        std::copy(GetPoint(0), GetPoint(0) + count, closed.get() + 1);
    }
    Own(std::move(closed), count + 1);
}

GPolygonGraphic::~GPolygonGraphic() {}

int16_t GPolygonGraphic::Execute(GCommandHandler& target) { return target.DrawPolygon(*this); }
