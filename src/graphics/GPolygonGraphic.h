// A polygon: its outline starts and ends at the same point, so an open list of points
// is held with its last point put in front as well.
#pragma once

#include "graphics/GPointListGraphic.h"

class GPolygonGraphic : public GPersistent<GPolygonGraphic, GPointListGraphic, 657> {
public:
    static constexpr const char* kClassName = "GPolygonGraphic";
    GPolygonGraphic* CreateNew() const override { return new GPolygonGraphic; }
    GPolygonGraphic* Copy() const override { return new GPolygonGraphic(*this); }

    GPolygonGraphic();
    // Takes the points as a point list does; when the last differs from the first the
    // polygon owns count + 1 points, the last one followed by all of them (none when
    // that copy fails). No points hold nothing.
    GPolygonGraphic(const GPointArray& points, GState* state, const long& id = 0);
    GPolygonGraphic(const GPolygonGraphic& other) = default;
    GPolygonGraphic& operator=(const GPolygonGraphic& other) = default;
    ~GPolygonGraphic() override;

    // The peripheral's polygon handler.
    int16_t Execute(GCommandHandler& target) override;

    auto StoredForm() { return GFields(); }
};
