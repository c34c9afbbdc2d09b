// The base of the primitives drawn from a list of points (rectangles, polygons,
// Bezier curves): the points, a bounding rectangle that is worked out once, and the
// start, end and corner points the writers read for arcs and rounded rectangles.
#pragma once

#include "graphics/GGeometry.h"
#include "graphics/GGraphic.h"

#include <memory>

// A list of points as callers hand it over and as the writers read it: whether it is
// (to be) copied or owned, the allocation, the first point, and the number of points.
struct GPointArray {
    uint32_t copy;
    void* buffer;
    GPoint* points;
    uint32_t count;
};

class GPointListGraphic : public GStoredLevel<GPointListGraphic, GGraphic, 651> {
public:
    static constexpr uint32_t kDefaultMode = 2;

    // Mode 2, no points, bounds not valid, every point zero.
    GPointListGraphic();
    // Valid bounds, no points.
    explicit GPointListGraphic(const GRect& bounds, uint32_t mode = kDefaultMode);
    // Bounds not valid. An array with its copy flag set is copied and owned; otherwise
    // the caller's points are referred to until Prepare. A failed copy holds no points.
    GPointListGraphic(const GPointArray& points, GState* state, const long& id = 0);
    // Valid bounds, and the points as above.
    GPointListGraphic(const GRect& bounds, const GPointArray& points, uint32_t mode, GState* state,
                      const long& id = 0);
    // Copies owned points; refers to the points the other only referred to.
    GPointListGraphic(const GPointListGraphic& other);
    GPointListGraphic& operator=(const GPointListGraphic& other);
    ~GPointListGraphic() override;

    // Same class and command part, equal bounds when both are valid, then equal mode,
    // start, end and corner points and equal point lists.
    bool IsSame(const GObjectBase* other) const override;
    // Owns the points from now on: after it no caller's buffer is referred to. A failed
    // copy leaves no points.
    void Prepare() override;

    // The stored bounds when valid; else, with more than one point, the rectangle
    // spanned by the start point and every point. Valid from then on.
    virtual GRect GetBounds();

    // The array record: copy reads 1 when the points are owned.
    GPointArray GetPointArray() const;
    uint32_t GetDataSize() const { return count_; }
    // Groups of three points (the Bezier segments).
    uint32_t GetPointCount() const { return count_ / 3; }
    // Point n, or null when there is no such point.
    const GPoint* GetPoint(uint32_t n) const { return n < count_ ? points_ + n : nullptr; }
    bool IsOwned() const { return owned_ != nullptr; }

    GPoint GetArcStart() const { return start_; }
    GPoint GetArcEnd() const { return end_; }
    GPoint GetCornerSize() const { return corner_; }
    uint32_t GetShapeKind() const { return mode_; }
    void SetArcStart(const GPoint& point) { start_ = point; }
    void SetArcEnd(const GPoint& point) { end_ = point; }
    void SetCornerSize(const GPoint& size) { corner_ = size; }
    void SetShapeKind(uint32_t mode) { mode_ = mode; }

    // Mode, count, the points, the bounds-valid word, then bounds, start, end and corner
    // as 16-bit words. A count the data cannot hold fails the read before anything is
    // allocated; the object changes only when every field arrived.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const { return 36 + 4 * count_; }

protected:
    // Holds the given points (copy or reference) in place of the current ones.
    void TakePoints(const GPointArray& points);
    // Holds count points copied from points as its own; none when the copy fails.
    void OwnCopyOf(const GPoint* points, uint32_t count);
    // Holds the allocation as its own, count points from its start.
    void Own(std::unique_ptr<GPoint[]> buffer, uint32_t count);
    // Takes the first point out of the list (the list then starts one point later).
    void DropFirstPoint();

private:
    uint32_t mode_ = kDefaultMode;
    std::unique_ptr<GPoint[]> owned_;
    GPoint* points_ = nullptr;
    uint32_t count_ = 0;
    uint16_t boundsValid_ = 0;
    uint16_t pad_ = 0;
    GRect bounds_{0, 0, 0, 0};
    GPoint start_{0, 0};
    GPoint end_{0, 0};
    GPoint corner_{0, 0};
};
