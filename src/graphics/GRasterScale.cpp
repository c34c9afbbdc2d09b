#include "graphics/GRasterScale.h"

#include "graphics/GClipAttribute.h"

#include <algorithm>

namespace {

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

} // namespace

uint32_t GScaleToClip(const GClipAttribute* clip, const GRect& source, const GRect& destination, GRect& outSource,
                      GRect& outDestination)
{
    outSource = GRect{0, 0, 0, 0};
    outDestination = GRect{0, 0, 0, 0};
    if (source.left == source.right || source.top == source.bottom || destination.left == destination.right ||
        destination.top == destination.bottom)
        return 1;
    GRect visible = destination;
    GRect clipBounds;
    if (clip && clip->GetBounds(clipBounds))
        IntersectRect(visible, clipBounds, destination);
    if (!clip || visible == destination || clip->GetClipOperation() != 0) {
        outSource = source;
        outDestination = destination;
        return 1;
    }
    if (IsEmptyRect(visible))
        return 1;

    // Widths and heights are unsigned 16-bit; neither is 0 here.
    const int64_t sw = uint16_t(source.right - source.left);
    const int64_t sh = uint16_t(source.bottom - source.top);
    const int64_t dw = uint16_t(destination.right - destination.left);
    const int64_t dh = uint16_t(destination.bottom - destination.top);
    const int64_t vl = int64_t(visible.left) - destination.left;
    const int64_t vt = int64_t(visible.top) - destination.top;
    const int64_t vr = int64_t(visible.right) - destination.left;
    const int64_t vb = int64_t(visible.bottom) - destination.top;

    // The source part, rounded outwards, kept within the source.
    int64_t sl = std::max<int64_t>(FloorDiv(vl * sw, dw), 0);
    int64_t st = std::max<int64_t>(FloorDiv(vt * sh, dh), 0);
    int64_t sr = std::min<int64_t>(CeilDiv(vr * sw, dw), sw);
    int64_t sb = std::min<int64_t>(CeilDiv(vb * sh, dh), sh);
    if (sr <= sl || sb <= st)
        return 1;

    outDestination = GRect{int16_t(destination.left + sl * dw / sw), int16_t(destination.top + st * dh / sh),
                           int16_t(destination.left + sr * dw / sw), int16_t(destination.top + sb * dh / sh)};
    outSource = GRect{int16_t(source.left + sl), int16_t(source.top + st), int16_t(source.left + sr),
                      int16_t(source.top + sb)};
    return outDestination == visible ? 1 : 0;
}
