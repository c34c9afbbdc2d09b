#include "graphics/GDeviceFontDescription.h"

GDeviceFontDescription::GDeviceFontDescription()
    : characterSet_(0), weight_(0), italic_(0), typeClass_(0), fixed_(0), scalable_(0), height_(0), fontNumber_(0),
      format_(0)
{
}

GDeviceFontDescription::GDeviceFontDescription(const RWCString& faceName, const RWCString& deviceName,
                                               int32_t characterSet, const GULongVector& symbolSets, uint16_t weight,
                                               int32_t italic, int32_t typeClass, int32_t fixed, int32_t scalable,
                                               uint16_t height, uint16_t fontNumber, int32_t format)
    : faceName_(faceName), deviceName_(deviceName), characterSet_(characterSet), symbolSets_(symbolSets),
      weight_(weight), italic_(italic), typeClass_(typeClass), fixed_(fixed), scalable_(scalable), height_(height),
      fontNumber_(fontNumber), format_(format)
{
}

GDeviceFontDescription::~GDeviceFontDescription() {}
