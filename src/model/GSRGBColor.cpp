#include "model/GSRGBColor.h"

GSRGBColor::GSRGBColor() {}
GSRGBColor::GSRGBColor(uint32_t option, const long& id) : GChromafitOptionOf(option, id) {}
GSRGBColor::~GSRGBColor() {}
