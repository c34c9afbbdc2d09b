// What the colour-adjustment filter and the page writers read from a settings tree: the
// colour-adjustment attribute's values (feature 295) for one object kind or the page,
// and the device values that the printer's value maps give an option number.
//
// Every accessor answers 0xFFFF when the tree holds no colour-adjustment attribute under
// 295, when the attribute is not of the class that the accessor (or the caller's mode)
// names, or when the attribute refuses the pair. A setting of another class under the
// feature id reads as absent.
#pragma once

#include "foundation/RWCString.h"

#include <cstdint>

class GObjectBase;

const long kChromafitFeatureId = 295;
const uint16_t kNoChromafitSetting = 0xFFFF;

// The feature ids of the value maps of the colour option values.
const long kHalftoneMapId = 533;
const long kColorMapMapId = 537;
const long kNeutralGraysMapId = 543;
const long kEdgeControlMapId = 545;
const long kSRGBMapId = 552;

// Any colour-adjustment class; objects 0 to 2.
uint16_t GetFirstSetting(GObjectBase* settings, int object);
uint16_t GetSecondSetting(GObjectBase* settings, int object);
// Mode 3 reads the enhanced attribute (797), any other mode the third generation (1201).
uint16_t GetEnhancedFirst(GObjectBase* settings, int object, int mode);
uint16_t GetEnhancedSecond(GObjectBase* settings, int object, int mode);
uint16_t GetPageSetting(GObjectBase* settings, int mode);
// The enhanced attribute's second page value.
uint16_t GetSecondPageSetting(GObjectBase* settings);
// The third generation's third value of an object (0 to 2).
uint16_t GetThirdSetting(GObjectBase* settings, int object);

// The value (a GValueAttribute) that the association list under mapId in target
// associates with the option number; 0 when the map, the association or a value of
// that class is missing.
uint16_t GetAssociatedValue(long mapId, GObjectBase* target, uint16_t option);
// The text (a GStringAttribute) the map associates with the option number; empty when
// there is none.
RWCString GetAssociatedString(long mapId, GObjectBase* target, uint16_t option);
