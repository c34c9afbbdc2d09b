#include "graphics/GPreScaledRasterGraphic.h"

GPreScaledRasterGraphic::GPreScaledRasterGraphic() {}

GPreScaledRasterGraphic::GPreScaledRasterGraphic(GBitmap image, GState* state, GRect source, GRect destination,
                                                 GBitmap second)
    : GPersistent(image, source, destination, second, state, 0)
{
}

GPreScaledRasterGraphic::GPreScaledRasterGraphic(GBitmap image, GRect source, GRect destination, GBitmap second,
                                                 GState* state, const long& id)
    : GPersistent(image, source, destination, second, state, id)
{
}

GPreScaledRasterGraphic::~GPreScaledRasterGraphic() {}
