#include "model/GColorMap.h"

GColorMap::GColorMap() {}
GColorMap::GColorMap(uint32_t option, const long& id) : GChromafitOptionOf(option, id) {}
GColorMap::~GColorMap() {}
