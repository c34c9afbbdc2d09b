// Clipping to a list of rectangles. The list starts with room for one rectangle and
// grows by 64 when full.
// It is applied through the peripheral's ApplyClipToRectangle.
#pragma once

#include "graphics/GClipAttribute.h"

#include <vector>

class GClipToRectangle : public GPersistent<GClipToRectangle, GClipAttribute, 501> {
public:
    static constexpr const char* kClassName = "GClipToRectangle";
    GClipToRectangle* CreateNew() const override { return new GClipToRectangle; }
    GClipToRectangle* Copy() const override { return new GClipToRectangle(*this); }

    // An empty list, mode and operation unspecified.
    GClipToRectangle();
    // A list holding the one rectangle.
    GClipToRectangle(const GRect& rectangle, uint32_t operation, uint32_t mode, const long& id = 0);
    // Copies keep the source's id, mode and operation with its rectangles: a replayed
    // page must clip as the spooled one did.
    GClipToRectangle(const GClipToRectangle& other);
    GClipToRectangle& operator=(const GClipToRectangle& other);
    ~GClipToRectangle() override;

    // The clip comparison, then equal counts and equal rectangles in order.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
    // The smallest rectangle covering the list; an empty list answers false with a zero
    // rectangle.
    bool GetBounds(GRect& bounds) const override;

    void AddRectangle(const GRect& rectangle);
    uint32_t GetCount() const { return uint32_t(rectangles_.size()); }
    uint32_t GetCapacity() const { return capacity_; }
    // Rectangle n, or four zeros when n is not below the count.
    GRect GetRectangle(uint32_t index) const;

    // The count, then the rectangles as four i16 each. A count the data cannot hold
    // fails the read; the list changes only when every rectangle arrived.
    auto StoredForm()
    {
        return GFields(GList(rectangles_, [](GRect& r) { return GFields(r.left, r.top, r.right, r.bottom); }),
                       GReset(capacity_));
    }
    // A list read grows as if its rectangles had been added one by one.
    bool Settle();

private:
    uint32_t capacity_;
    std::vector<GRect> rectangles_;
};
