// A rectangle: a point list with valid bounds (the rectangle) and no points.
#pragma once

#include "graphics/GPointListGraphic.h"

class GRectangleGraphic : public GPersistent<GRectangleGraphic, GPointListGraphic, 659> {
public:
    static constexpr const char* kClassName = "GRectangleGraphic";
    GRectangleGraphic* CreateNew() const override { return new GRectangleGraphic; }
    GRectangleGraphic* Copy() const override { return new GRectangleGraphic(*this); }

    GRectangleGraphic();
    GRectangleGraphic(const GRect& bounds, GState* state, const long& id = 0);
    GRectangleGraphic(const GRectangleGraphic& other) = default;
    GRectangleGraphic& operator=(const GRectangleGraphic& other) = default;
    ~GRectangleGraphic() override;

    // The peripheral's rectangle handler.
    int16_t Execute(GCommandHandler& target) override;

    auto StoredForm() { return GFields(); }
};
