#pragma once
// Named feature and member ids of the settings tree and the printer model.
//
// Logic names an id through these constants; tables transcribed row by row keep their
// numbers in the rows. Each area keeps its ids in its own block, sorted by number.

#include <cstdint>

namespace FeatureId {

// Printer model, paper handling and the driver object.
constexpr uint16_t kPrinterHolder = 76;       // the printer's member whose configuration is the printer's
constexpr uint16_t kOsTrayMap = 84;           // paper-source code to tray id
constexpr uint16_t kPdlTrayMap = 85;          // associations: tray slot to the writer's code
constexpr uint16_t kInputDevices = 90;
constexpr uint16_t kPjlBinMap = 93;           // associations: bin to its job-header name
constexpr uint16_t kPdlWriter = 101;
constexpr uint16_t kPjlWriter = 106;
constexpr uint16_t kMediaPool = 189;
constexpr uint16_t kIdPool = 191;
constexpr uint16_t kKnownPapers = 192;
constexpr uint16_t kIdMap = 194;
constexpr uint16_t kAlternateMediaPool = 195;
constexpr uint16_t kWriterMaps = 198;         // a writer's configuration part holding its maps
constexpr uint16_t kSharedRange = 202;        // range the paper path shares with the page writer
constexpr uint16_t kResolutionList = 206;
constexpr uint16_t kPaperPath = 228;
constexpr uint16_t kResolutionX = 323;        // members of a resolution entry
constexpr uint16_t kResolutionY = 324;
constexpr uint16_t kCachedValue = 339;        // read once per reuse from the printer's own configuration
constexpr uint16_t kPrinterRoot = 353;
constexpr uint16_t kStoredFormGroup = 359;    // with kStoredFormPart and kStoredForm: path of the stored-form flag
constexpr uint16_t kNamedListValue = 360;
constexpr uint16_t kStoredFormPart = 366;
constexpr uint16_t kNamedList = 369;          // entries with a name (370) and a value (360)
constexpr uint16_t kNamedListName = 370;
constexpr uint16_t kListTemplate = 375;       // template of a stored list's entry
constexpr uint16_t kDisplayName = 401;
constexpr uint16_t kDeviceFonts = 414;
constexpr uint16_t kStoredForm = 940;
constexpr uint16_t kAttributeValue = 958;
constexpr uint16_t kExtensionEnable = 984;
constexpr uint16_t kProcessFlag = 1025;       // read once per process
constexpr uint16_t kTrayFilter = 1114;
constexpr uint16_t kUsedNames = 1132;
constexpr uint16_t kAlternateResolutionList = 1300;

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
constexpr uint16_t kRebuildBinPool = 197;        // in 365: 1 lists the bins of the pool rebuilt from the state
constexpr uint16_t kCopiesRange = 199;           // in the configuration: the copy count's range
constexpr uint16_t kDuplexFallback = 245;        // in 365: read for duplex when 308 is 0
constexpr uint16_t kDocumentDefaults = 246;      // in the printer's default state
constexpr uint16_t kResolutionGroup = 249;       // holds kXResolution and kYResolution
constexpr uint16_t kPageDefaults = 256;          // in the printer's default state
constexpr uint16_t kDefaultPaperNode = 259;      // in kDocumentDefaults, replaced by kPaperSize
constexpr uint16_t kOrientationDegrees = 265;
constexpr uint16_t kDuplexUnit = 308;            // in 365: the duplex unit is installed
constexpr uint16_t kCollationSwitch = 310;       // in the configuration: the printer collates
constexpr uint16_t kAgentAvailable = 313;        // in the settings: a network agent answers
constexpr uint16_t kColorDevice = 339;           // in the configuration: a colour device
constexpr uint16_t kDefaultTreeRoot = 360;
constexpr uint16_t kPageSettings = 363;
constexpr uint16_t kUIFontGroup = 380;           // 384 face, 385 size, 386 character set
constexpr uint16_t kWatermarkName = 384;
constexpr uint16_t kUIFontFace = 384;
constexpr uint16_t kUIFontSize = 385;
constexpr uint16_t kUIFontCharacterSet = 386;
constexpr uint16_t kFormToTrayTable = 510;
constexpr uint16_t kSingleResolution = 902;      // a resolution entry's one value for x and y
constexpr uint16_t kModelDefaultsList = 950;     // printer-data value names by feature id
constexpr uint16_t kBaseFromModelName = 1122;
constexpr uint16_t kWatermarkScope = 1125;       // 1 shared by the printer's users, 2 this user's
constexpr uint16_t kCustomWidth = 1260;          // tenths of a millimetre
constexpr uint16_t kCustomLength = 1261;
constexpr uint16_t kResolutionChoice = 1302;     // 2 selects the alternate resolution list
constexpr uint16_t kCustomPaperCode = 16384;     // the custom size; 16384 + n the spooler form n
constexpr uint16_t kLargestMedia = 17384;
constexpr uint16_t kSmallestMedia = 17385;

// Text, fonts and graphics.

// Pipeline and writers.

}  // namespace FeatureId
