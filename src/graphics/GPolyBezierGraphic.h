// A sequence of Bezier segments: the first point given is where the figure starts; the
// rest come in groups of two control points and an end point.
#pragma once

#include "graphics/GPointListGraphic.h"

class GPolyBezierGraphic : public GPersistent<GPolyBezierGraphic, GPointListGraphic, 653> {
public:
    static constexpr const char* kClassName = "GPolyBezierGraphic";
    GPolyBezierGraphic* CreateNew() const override { return new GPolyBezierGraphic; }
    GPolyBezierGraphic* Copy() const override { return new GPolyBezierGraphic(*this); }

    GPolyBezierGraphic();
    // Takes the points as a point list does, then moves the first one to the start
    // point. No points hold nothing and leave the start point zero.
    GPolyBezierGraphic(const GPointArray& points, GState* state, const long& id = 0);
    GPolyBezierGraphic(const GPolyBezierGraphic& other) = default;
    GPolyBezierGraphic& operator=(const GPolyBezierGraphic& other) = default;
    ~GPolyBezierGraphic() override;

    // The peripheral's poly-Bezier handler.
    int16_t Execute(GCommandHandler& target) override;

    // A word a writer may use; copied, never stored.
    uint32_t GetExtra() const { return extra_; }
    void SetExtra(uint32_t extra) { extra_ = extra; }

    auto StoredForm() { return GFields(); }

private:
    uint32_t extra_ = 0;
};
