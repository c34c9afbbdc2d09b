#include "graphics/GPolyBezierGraphic.h"

#include "model/GCommandHandler.h"

GPolyBezierGraphic::GPolyBezierGraphic() {}

GPolyBezierGraphic::GPolyBezierGraphic(const GPointArray& points, GState* state, const long& id)
    : GPersistent(points, state, id)
{
    if (const GPoint* first = GetPoint(0)) {
        SetArcStart(*first);
        DropFirstPoint();
    }
}

GPolyBezierGraphic::~GPolyBezierGraphic() {}

int16_t GPolyBezierGraphic::Execute(GCommandHandler& target) { return target.DrawPolyBezier(*this); }
