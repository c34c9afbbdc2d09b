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
constexpr uint16_t kDeviceQueryRoot = 228;        // the node a device query fills, with 229 to 236 below it
constexpr uint16_t kReportedModel = 229;          // the model name the agent reported
constexpr uint16_t kAcceptedModels = 230;         // string members: the model names the driver accepts
constexpr uint16_t kDeviceIndexes = 232;          // range: indexes of the agent's paper-handling devices
constexpr uint16_t kInputTrayIndexes = 233;       // range: indexes of the agent's input trays
constexpr uint16_t kOutputNameIndexes = 234;      // range: indexes of the agent's output-bin names
constexpr uint16_t kDiskIndexes = 236;            // range: indexes of the agent's disks
constexpr uint16_t kAgentUpdateState = 313;       // 0 no agent, 1 agent but no answer, 2 answered
constexpr uint16_t kOutputAccessories = 314;      // the output devices that take the output-bin names
constexpr uint16_t kMediaNameIndexes = 700;       // range: indexes of the agent's media names
constexpr uint16_t kMediaNames = 701;             // string members: the media names reported
constexpr uint16_t kOptionModel = 1206;           // in a member of 1208: the option model it stands for
constexpr uint16_t kOptionTarget = 1207;          // in a member of 1208: the feature set when it is reported
constexpr uint16_t kDeviceOptions = 1208;         // members pairing an option model with a target

// Text, fonts and graphics.

// Pipeline and writers.

}  // namespace FeatureId
