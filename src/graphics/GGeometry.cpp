#include "graphics/GGeometry.h"

#include <algorithm>

bool IntersectRect(GRect& out, const GRect& a, const GRect& b)
{
    const GRect common = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                          std::min(a.bottom, b.bottom)};
    if (IsEmptyRect(common)) {
        out = GRect{0, 0, 0, 0};
        return false;
    }
    out = common;
    return true;
}

void UniteRect(GRect& bounds, const GRect& r)
{
    bounds.left = std::min(bounds.left, r.left);
    bounds.top = std::min(bounds.top, r.top);
    bounds.right = std::max(bounds.right, r.right);
    bounds.bottom = std::max(bounds.bottom, r.bottom);
}
