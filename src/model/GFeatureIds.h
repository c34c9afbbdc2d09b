#pragma once
// Named feature and member ids of the settings tree and the printer model.
//
// Logic names an id through these constants; tables transcribed row by row keep their
// numbers in the rows. Each area keeps its ids in its own block, sorted by number.

#include <cstdint>

namespace FeatureId {

// Printer model, paper handling and the driver object.
constexpr uint16_t kInputDevices = 90;
constexpr uint16_t kMediaPool = 189;

// Settings serializer, DEVMODE and translators.

// Entry points and the driver UI object.

// Text, fonts and graphics.

// Pipeline and writers.

}  // namespace FeatureId
