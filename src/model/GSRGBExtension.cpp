#include "model/GSRGBExtension.h"

GSRGBExtension::GSRGBExtension() {}
GSRGBExtension::GSRGBExtension(uint32_t option, const long& id) : GChromafitOptionOf(option, id) {}
GSRGBExtension::~GSRGBExtension() {}
