#include "model/GNeutralGrays.h"

GNeutralGrays::GNeutralGrays() {}
GNeutralGrays::GNeutralGrays(uint32_t option, const long& id) : GChromafitOptionOf(option, id) {}
GNeutralGrays::~GNeutralGrays() {}
