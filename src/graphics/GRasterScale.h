// The part of an image that stays visible under a clip: the raster primitives draw only
// that part of their source, scaled to where it lands.
#pragma once

#include "graphics/GGeometry.h"

#include <cstdint>

class GClipAttribute;

// Gives the visible parts of the source and destination rectangles under the clip
// (null: no clip). 1 when the destination part is exactly what the clip lets through
// (or everything or nothing is visible); 0 when the source part, rounded outwards to
// whole pixels, lands on a little more. Products are taken in 64 bits, so rectangles
// up to 65535 pixels wide do not overflow.
uint32_t GScaleToClip(const GClipAttribute* clip, const GRect& source, const GRect& destination, GRect& outSource,
                      GRect& outDestination);
