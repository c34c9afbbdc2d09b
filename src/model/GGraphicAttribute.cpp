#include "model/GGraphicAttribute.h"

GGraphicAttribute::GGraphicAttribute() {}
GGraphicAttribute::GGraphicAttribute(const long& id) : GStoredLevel(id) {}
GGraphicAttribute::~GGraphicAttribute() {}
