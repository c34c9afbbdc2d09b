#include "graphics/GRectangleGraphic.h"

#include "model/GCommandHandler.h"

GRectangleGraphic::GRectangleGraphic() {}

GRectangleGraphic::GRectangleGraphic(const GRect& bounds, GState* state, const long& id)
    : GPersistent(bounds, GPointArray{0, nullptr, nullptr, 0}, kDefaultMode, state, id)
{
}

GRectangleGraphic::~GRectangleGraphic() {}

int16_t GRectangleGraphic::Execute(GCommandHandler& target) { return target.DrawRectangle(*this); }
