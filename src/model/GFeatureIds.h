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
// The extension store: settings entries (367 / 997), descriptor entries (368 / 987), the
// job data composites a document command carries (985 PJL, 986 PDL) and the fields of an
// entry.
constexpr uint16_t kExtensionSettingsNode = 367;
constexpr uint16_t kExtensionContainer = 368;
constexpr uint16_t kExtensionJobPjlData = 985;
constexpr uint16_t kExtensionJobPdlData = 986;
constexpr uint16_t kExtensionDescriptorList = 987;
constexpr uint16_t kExtensionText1 = 988;
constexpr uint16_t kExtensionName = 989;
constexpr uint16_t kExtensionText2 = 990;
constexpr uint16_t kExtensionUIModule = 991;
constexpr uint16_t kExtensionRenderModule = 992;
constexpr uint16_t kExtensionText3 = 993;
constexpr uint16_t kExtensionText4 = 994;
constexpr uint16_t kExtensionIndex = 995;
constexpr uint16_t kExtensionFlags = 996;
constexpr uint16_t kExtensionSettingsList = 997;
constexpr uint16_t kExtensionSettingsBytes = 998;

// Text, fonts and graphics.

// Pipeline and writers.
// The printer memory for downloads, in units of 10,485 bytes (a range attribute).
constexpr uint16_t kDeviceMemory = 202;
// The fonts resident in the printer (a device-font list composite).
constexpr uint16_t kDeviceFontList = 414;

}  // namespace FeatureId
