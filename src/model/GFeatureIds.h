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
constexpr uint16_t kNoUpdateContainer = 63;      // a stored container whose children are never kept
constexpr uint16_t kCollationAvailable = 231;
constexpr uint16_t kPaperSize = 260;
constexpr uint16_t kCustomSizeList = 276;        // holds the custom-size template
constexpr uint16_t kLockTable = 283;
constexpr uint16_t kStringListA = 314;           // string members kept whatever the defaults hold
constexpr uint16_t kXResolution = 323;
constexpr uint16_t kYResolution = 324;
constexpr uint16_t kPrinterSettingsGroup = 359;
constexpr uint16_t kDocumentRoot = 360;
constexpr uint16_t kJobSettings = 362;
constexpr uint16_t kDeviceSettings = 365;
constexpr uint16_t kPrinterLists = 366;
constexpr uint16_t kExtensionData = 368;
constexpr uint16_t kStoredEntryTemplate = 375;
constexpr uint16_t kStoredEntryName = 376;
constexpr uint16_t kWatermarkList = 378;
constexpr uint16_t kWatermarkTemplate = 380;
constexpr uint16_t kStringListB = 701;           // string members kept whatever the defaults hold
constexpr uint16_t kLooseFormFit = 915;
constexpr uint16_t kStoredFormChoice = 940;
constexpr uint16_t kChangeList = 1101;
constexpr uint16_t kStoredEntryFlag = 1124;
constexpr uint32_t kKeptAlways = 0x40000018;
constexpr uint32_t kCustomSizeTemplate = 0x40000019;
constexpr uint32_t kStoredEntries = 0x40000047;

// Entry points and the driver UI object.

// Text, fonts and graphics.

// Pipeline and writers.

}  // namespace FeatureId
