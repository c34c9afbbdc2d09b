// The 16-bit device geometry of the graphics model: a point is x then y, a rectangle
// left, top, right, bottom. Both are stored as plain 16-bit words.
#pragma once

#include <cstdint>

struct GPoint {
    int16_t x;
    int16_t y;
};

struct GRect {
    int16_t left;
    int16_t top;
    int16_t right;
    int16_t bottom;
};

inline bool operator==(const GPoint& a, const GPoint& b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(const GPoint& a, const GPoint& b) { return !(a == b); }
inline bool operator==(const GRect& a, const GRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline bool operator!=(const GRect& a, const GRect& b) { return !(a == b); }

// No area: right not beyond left or bottom not below top.
inline bool IsEmptyRect(const GRect& r) { return r.right <= r.left || r.bottom <= r.top; }

// The common part of two rectangles; all zeros, and false, when they do not overlap.
// Works without the platform's rectangle calls.
bool IntersectRect(GRect& out, const GRect& a, const GRect& b);

// Widens bounds to cover r (signed comparisons).
void UniteRect(GRect& bounds, const GRect& r);
