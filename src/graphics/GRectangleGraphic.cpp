#include "graphics/GRectangleGraphic.h"

#include "printer/GPeripheral.h"

GRectangleGraphic::GRectangleGraphic() {}

GRectangleGraphic::GRectangleGraphic(const GRect& bounds, GState* state, const long& id)
    : GPersistent(bounds, GPointArray{0, nullptr, nullptr, 0}, kDefaultMode, state, id)
{
}

GRectangleGraphic::~GRectangleGraphic() {}

int16_t GRectangleGraphic::Execute(GPeripheral& target) { return target.DrawRectangle(*this); }
