#include "model/GHalftoneEnhanced.h"

GHalftoneEnhanced::GHalftoneEnhanced() {}
GHalftoneEnhanced::GHalftoneEnhanced(uint32_t option, const long& id) : GChromafitOptionOf(option, id) {}
GHalftoneEnhanced::~GHalftoneEnhanced() {}
