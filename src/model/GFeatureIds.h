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
constexpr uint16_t kTrayList = 193;              // the trays a source name is looked up in
constexpr uint16_t kCopiesRange = 199;           // range of copies the device accepts
constexpr uint16_t kScaleRange = 200;            // range of scale percentages the device accepts
constexpr uint16_t kDuplexRange = 203;           // range of duplex values the device accepts
constexpr uint16_t kOrientationList = 205;       // orientations the device supports
constexpr uint16_t kCollationAvailable = 231;
constexpr uint16_t kResolutionNode = 249;        // holds 323, 324, 325 and 902
constexpr uint16_t kResolutionGroup = 249;       // the job's resolution pair (323, 324)
constexpr uint16_t kDuplex = 253;
constexpr uint16_t kPaperSource = 258;
constexpr uint16_t kInputBin = 258;
constexpr uint16_t kPaperSize = 260;
constexpr uint16_t kPaperSourceName = 261;
constexpr uint16_t kMediaName = 261;
constexpr uint16_t kMediaRest = 262;
constexpr uint16_t kInputBinRest = 263;
constexpr uint16_t kDifferentFirstPage = 264;    // 0: every page uses the job's media and tray
constexpr uint16_t kOrientation = 265;           // degrees: 0, 90, 180, 270
constexpr uint16_t kCustomSizeList = 276;        // holds the custom-size template
constexpr uint16_t kBookletPrinting = 279;
constexpr uint16_t kLockTable = 283;
constexpr uint16_t kCopies = 291;
constexpr uint16_t kCollate = 292;
constexpr uint16_t kColourEnable = 294;
constexpr uint16_t kColourMode = 296;
constexpr uint16_t kIcmEnable = 298;
constexpr uint16_t kConfigurationMode = 313;     // under 228: 2 imports document defaults only
constexpr uint16_t kStringListA = 314;           // string members kept whatever the defaults hold
constexpr uint16_t kXResolution = 323;
constexpr uint16_t kYResolution = 324;
constexpr uint16_t kResolutionBits = 325;
constexpr uint16_t kMediaAdjustSource = 328;
constexpr uint16_t kIcmMethod = 350;
constexpr uint16_t kIcmIntent = 351;
constexpr uint16_t kPrinterSettingsGroup = 359;
constexpr uint16_t kDocumentRoot = 360;
constexpr uint16_t kJobSettings = 362;
constexpr uint16_t kDocumentSettings = 364;
constexpr uint16_t kDeviceSettings = 365;
constexpr uint16_t kPrinterLists = 366;
constexpr uint16_t kExtensionData = 368;
constexpr uint16_t kStoredEntryTemplate = 375;
constexpr uint16_t kStoredEntryName = 376;
constexpr uint16_t kWatermarkList = 378;
constexpr uint16_t kWatermarkDefinition = 379;
constexpr uint16_t kWatermarkTemplate = 380;
constexpr uint16_t kWatermarkFont = 386;
constexpr uint16_t kWatermarkEscapement = 393;
constexpr uint16_t kWatermarkAngle = 394;
constexpr uint16_t kWatermarkRed = 398;
constexpr uint16_t kWatermarkGreen = 399;
constexpr uint16_t kWatermarkBlue = 400;
constexpr uint16_t kFormToTrayDatabase = 510;
constexpr uint16_t kStringListB = 701;           // string members kept whatever the defaults hold
constexpr uint16_t kDuplexMargins = 713;         // symmetric margins for duplex
constexpr uint16_t kMediaAdjust = 901;
constexpr uint16_t kQualityKey = 902;            // a resolution entry's or preset's quality; DMRES_ codes at or below 0
constexpr uint16_t kQualityPresets = 903;        // composites: 902 with the 323, 324, 325 and settings it stands for
constexpr uint16_t kLooseFormFit = 915;
constexpr uint16_t kRotatedOrientation = 929;    // orientation may stay rotated
constexpr uint16_t kStoredFormChoice = 940;
constexpr uint16_t kDuplexMarginsWanted = 983;
constexpr uint16_t kGlossyMedia = 1029;
constexpr uint16_t kChangeList = 1101;
constexpr uint16_t kLockList = 1102;             // under 366: markers of locked features
constexpr uint16_t kPaperChangeMarker = 1111;    // added to the change list after a paper size
constexpr uint16_t kStoredEntryFlag = 1124;
constexpr uint16_t kStaplingPosition = 1200;
constexpr uint16_t kCustomWidth = 1260;          // tenths of a millimetre
constexpr uint16_t kCustomLength = 1261;         // tenths of a millimetre
constexpr uint16_t kResolutionListChoice = 1302; // 2 selects the alternate resolution list
constexpr uint16_t kLargestCustomMedia = 17384;  // media ids of the pool
constexpr uint16_t kSmallestCustomMedia = 17385;
// Installed options, output side, colour and watermark translators.
constexpr uint16_t kColourAdjustment = 208;      // in the printer configuration: the configured colour options
constexpr uint16_t kResolutionPreset = 222;    // in a preset: 223, 224, 225 for 323, 324, 325
constexpr uint16_t kPresetXResolution = 223;
constexpr uint16_t kPresetYResolution = 224;
constexpr uint16_t kPresetResolutionBits = 225;
constexpr uint16_t kHardDisk = 239;
constexpr uint16_t kOutputBin = 248;
constexpr uint16_t kNUpPages = 266;            // pages per sheet
constexpr uint16_t kTray1Source = 274;         // in 365: 8 with tray 1 installed, else 7
constexpr uint16_t kEnvelopeFeeder = 275;
constexpr uint16_t kStaplerChoice = 278;
constexpr uint16_t kStapling = 289;
constexpr uint16_t kColourOptionsMode = 304;     // 6: manual colour options
constexpr uint16_t kMemoryDependent = 307;       // in 365: follows the installed memory in hundreds
constexpr uint16_t kDeviceIsZadidi = 310;
constexpr uint16_t kStaplerPresent = 311;
constexpr uint16_t kOptionalSourcesModel = 315;  // in 365: text
constexpr uint16_t kAccessoryModel = 316;        // in 365: text, the output accessory's model code
constexpr uint16_t kBestPreset = 326;          // in the configuration: the settings of the "Best" quality
constexpr uint16_t kNormalPreset = 327;        // in the configuration: the settings of the "Normal" quality
constexpr uint16_t kJobRetentionAvailable = 441;
constexpr uint16_t kJobRetention = 520;
constexpr uint16_t kPresetColourRows = 593;    // in a preset: non-zero carries the colour rows
constexpr uint16_t kPageOrder = 710;
constexpr uint16_t kStraightPaperPath = 905;
constexpr uint16_t kInstalledMemory = 925;
constexpr uint16_t kBundleIndex = 927;         // in 365 and in each member of list 369
constexpr uint16_t kTray1Installed = 974;
constexpr uint16_t kStaplerFinisher = 981;       // in 365: the "W1908" finisher is installed
constexpr uint16_t kStitching = 982;
constexpr uint16_t kFoldingUnit = 1004;        // in 365: set to 3 once a folding choice is taken
constexpr uint16_t kWatermarkIndex = 1112;
constexpr uint16_t kDryTime = 1133;
constexpr uint16_t kPunchUnitType = 1203;
constexpr uint16_t kPostInsertionKit = 1205;
constexpr uint32_t kKeptAlways = 0x40000018;
constexpr uint32_t kCustomSizeTemplate = 0x40000019;
constexpr uint32_t kStoredEntries = 0x40000047;

// Entry points and the driver UI object.
// The extension store: settings entries (367 / 997), descriptor entries (368 / 987), the
// job data composites a document command carries (985 PJL, 986 PDL) and the fields of an
// entry.
constexpr uint16_t kRebuildBinPool = 197;        // in 365: 1 lists the bins of the pool rebuilt from the state
constexpr uint16_t kDeviceQueryRoot = 228;        // the node a device query fills, with 229 to 236 below it
constexpr uint16_t kReportedModel = 229;          // the model name the agent reported
constexpr uint16_t kAcceptedModels = 230;         // string members: the model names the driver accepts
constexpr uint16_t kDeviceIndexes = 232;          // range: indexes of the agent's paper-handling devices
constexpr uint16_t kInputTrayIndexes = 233;       // range: indexes of the agent's input trays
constexpr uint16_t kOutputNameIndexes = 234;      // range: indexes of the agent's output-bin names
constexpr uint16_t kDiskIndexes = 236;            // range: indexes of the agent's disks
constexpr uint16_t kDuplexFallback = 245;        // in 365: read for duplex when 308 is 0
constexpr uint16_t kDocumentDefaults = 246;      // in the printer's default state
constexpr uint16_t kPageDefaults = 256;          // in the printer's default state
constexpr uint16_t kDefaultPaperNode = 259;      // in kDocumentDefaults, replaced by kPaperSize
constexpr uint16_t kOrientationDegrees = 265;
constexpr uint16_t kDuplexUnit = 308;            // in 365: the duplex unit is installed
constexpr uint16_t kCollationSwitch = 310;       // in the configuration: the printer collates
constexpr uint16_t kAgentUpdateState = 313;       // 0 no agent, 1 agent but no answer, 2 answered
constexpr uint16_t kAgentAvailable = 313;        // in the settings: a network agent answers
constexpr uint16_t kOutputAccessories = 314;      // the output devices that take the output-bin names
constexpr uint16_t kColorDevice = 339;           // in the configuration: a colour device
constexpr uint16_t kDefaultTreeRoot = 360;
constexpr uint16_t kPageSettings = 363;
constexpr uint16_t kExtensionSettingsNode = 367;
constexpr uint16_t kExtensionContainer = 368;
constexpr uint16_t kUIFontGroup = 380;           // 384 face, 385 size, 386 character set
constexpr uint16_t kWatermarkName = 384;
constexpr uint16_t kUIFontFace = 384;
constexpr uint16_t kUIFontSize = 385;
constexpr uint16_t kUIFontCharacterSet = 386;
constexpr uint16_t kFormToTrayTable = 510;
constexpr uint16_t kMediaNameIndexes = 700;       // range: indexes of the agent's media names
constexpr uint16_t kMediaNames = 701;             // string members: the media names reported
constexpr uint16_t kSingleResolution = 902;      // a resolution entry's one value for x and y
constexpr uint16_t kModelDefaultsList = 950;     // printer-data value names by feature id
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
// Document events: the expected page count, the manual-duplex decision and the job name.
constexpr uint16_t kExpectedPageCount = 266;     // in kPageCountGroup
constexpr uint16_t kPageCountGroup = 329;
constexpr uint16_t kManualDuplexMarker = 1010;   // present: the printer turns the pages itself
constexpr uint16_t kManualDuplexCheckA = 905;
constexpr uint16_t kManualDuplexCheckB = 1227;
constexpr uint16_t kManualDuplexName3 = 973;
constexpr uint16_t kManualDuplexName4 = 1213;
constexpr uint16_t kManualDuplexName5 = 1215;
constexpr uint16_t kJobUserNameText = 1026;      // in kJobSettings
constexpr uint16_t kJobNameChoice = 287;         // in kJobSettings
constexpr uint16_t kJobNameText = 1031;          // in kJobSettings
constexpr uint16_t kJobNameFromRenderer = 1035;  // in kJobSettings: 0 takes the rendering module's name
constexpr uint16_t kJobNameNumbered = 1232;      // in kJobSettings: 1 appends "(01-99)"
constexpr uint16_t kJobNotification = 434;       // the keystroke job's option: show the job id
constexpr uint16_t kFeatureString = 445;         // the configuration's text kept with the printer
constexpr uint16_t kFontCards = 317;             // in the configuration: font cards installed
constexpr uint16_t kDeviceModelConfig = 1100;    // in the settings: 1 the device-model configuration is in use
// Watermarks drawn at the end of a page: the selection in kWatermarkDefinition and the
// fields of one watermark of kWatermarkList.
constexpr uint16_t kWatermarkGate = 381;         // must hold 0 for a watermark to print
constexpr uint16_t kWatermarkPageRule = 382;     // 0 every page, 1 first page only
constexpr uint16_t kWatermarkSelected = 383;     // the selected watermark's name
constexpr uint16_t kWatermarkText = 385;
constexpr uint16_t kWatermarkCharacterSet = 387;
constexpr uint16_t kWatermarkStyle = 388;        // bit 0 bold, 1 italic, 2 underline, 3 strike-out
constexpr uint16_t kWatermarkSize = 390;         // points
constexpr uint16_t kWatermarkWidth = 392;
constexpr uint16_t kWatermarkValue1 = 396;
constexpr uint16_t kWatermarkValue2 = 397;
constexpr uint16_t kWatermarkLevel = 403;
constexpr uint16_t kWatermarkGrey = 585;
constexpr uint16_t kExtensionSettingsBytes = 998;
constexpr uint16_t kBaseFromModelName = 1122;
constexpr uint16_t kWatermarkScope = 1125;       // 1 shared by the printer's users, 2 this user's
constexpr uint16_t kOptionModel = 1206;           // in a member of 1208: the option model it stands for
constexpr uint16_t kOptionTarget = 1207;          // in a member of 1208: the feature set when it is reported
constexpr uint16_t kDeviceOptions = 1208;         // members pairing an option model with a target
constexpr uint16_t kResolutionChoice = 1302;     // 2 selects the alternate resolution list
constexpr uint16_t kCustomPaperCode = 16384;     // the custom size; 16384 + n the spooler form n
constexpr uint16_t kLargestMedia = 17384;
constexpr uint16_t kSmallestMedia = 17385;

// Text, fonts and graphics.

// Pipeline and writers.
// The printer memory for downloads, in units of 10,485 bytes (a range attribute).
constexpr uint16_t kDeviceMemory = 202;
constexpr uint16_t kSpoolCopies = 247;           // copies the spooling filters make of the document
constexpr uint16_t kManualDuplexPrinter = 245;   // in the printer configuration
constexpr uint16_t kDuplexMode = 253;             // both sides: 0 off
constexpr uint16_t kPageCopies = 257;            // copies the printer makes of each page
constexpr uint16_t kPageTray = 258;
constexpr uint16_t kDocumentMedia = 259;         // a GMedia; its second string is the media type
constexpr uint16_t kOtherPagesMediaType = 262;
constexpr uint16_t kOtherPagesTray = 263;
constexpr uint16_t kPagesPerSheet = 266;         // under kPageLayout
constexpr uint16_t kFrontCoverMode = 279;
constexpr uint16_t kCopiesRequested = 291;
constexpr uint16_t kCollateInDriver = 292;
constexpr uint16_t kProducerFlagA = 293;
constexpr uint16_t kProducerModeSetting = 296;   // 0 and 3 choose the producer's modes 1 and 2
constexpr uint16_t kLetterheadDuplexCapable = 308; // in the printer configuration
constexpr uint16_t kCollationInstalled = 310;
constexpr uint16_t kPageLayout = 329;
constexpr uint16_t kJobControl = 364;
constexpr uint16_t kSpoolFontFile = 407;         // on a spooled page: its font spool file (narrow)
constexpr uint16_t kSpoolProducerKey = 408;      // on a spooled page: the producer key, lower-case hex
// The fonts resident in the printer (a device-font list composite).
constexpr uint16_t kDeviceFontList = 414;
constexpr uint16_t kMediaRebuild = 442;
constexpr uint16_t kCollationDevice = 451;
constexpr uint16_t kProducerFlagB = 585;
constexpr uint16_t kClearedWordSetting = 600;    // the job state's copy of the producer's second cleared word
constexpr uint16_t kPassThroughStateMark = 601;  // a pass-through command sent with a state
constexpr uint16_t kReverseOrder = 710;          // 1 on
constexpr uint16_t kLetterheadOverride = 905;
constexpr uint16_t kCopyOptionModes = 906;       // in the printer configuration: option value to its mode text
constexpr uint16_t kCopyOption = 907;
constexpr uint16_t kColorTables = 970;
constexpr uint16_t kColorTableMode2 = 971;       // 3 x 256 bytes
constexpr uint16_t kColorTableMode1 = 972;       // 3 x 256 bytes
constexpr uint16_t kPortKind = 1012;             // 1 a local port (LPT, USB, DOT4), 3 any other
constexpr uint16_t kJobNameUnicode = 1027;       // 1: job names in UTF-8 within the character ranges of 1026
constexpr uint16_t kJobNameSetting = 1031;       // where the job text is stored
constexpr uint16_t kJobNameFallback = 1032;      // the name of a job without a document name
constexpr uint16_t kPassThroughAllowed = 1115;
constexpr uint16_t kReverseOnDuplex = 1116;      // turns 710 round on both sides
constexpr uint16_t kLastPageTray = 1212;
constexpr uint16_t kLastPageMediaType = 1213;
constexpr uint16_t kFaceUpOutput = 1229;          // 1 on
constexpr uint16_t kLetterheadRule = 1240;
constexpr uint16_t kMarkedPage = 1246;
// The producer's own reads: job settings, the writer's configuration and the device's
// capability set (112: one capability set per id, whose bits the producer tests).
constexpr uint16_t kCapabilitySet = 112;         // in the printer configuration
constexpr uint16_t kFlagCCapability = 113;       // bit 1: flag C
constexpr uint16_t kFlagDCapability = 120;       // bit 9: flag D
constexpr uint16_t kScalingCapability = 135;     // bit 1 (raster mode 1) or 4 (other modes): no page scaling
constexpr uint16_t kRasterCapability = 136;      // bits 1 and 2: the raster modes the flag word may not force
constexpr uint16_t kRasterModeChoice = 255;      // the raster mode: 3, 2, else 1
constexpr uint16_t kJobPaperChoice = 270;        // 1: the job's paper is the code of 272
constexpr uint16_t kJobPaperCode = 272;
constexpr uint16_t kJobPaperMedia = 273;         // the media of 272 in the job state
constexpr uint16_t kCoverPaperCode = 280;
constexpr uint16_t kCoverMedia = 281;            // the media of 280 in the job state
constexpr uint16_t kColourOptionsChoice = 295;   // present: 304 and 295 go into the job state
constexpr uint16_t kWriterLanguageName = 560;    // in the printer configuration: text
constexpr uint16_t kWriterLanguageLevel = 561;   // in the printer configuration
constexpr uint16_t kWriterLanguageMode = 562;    // in the printer configuration
constexpr uint16_t kPassThroughCapability = 565; // bit 0: no pass-through bytes to a writer other than PCL XL
constexpr uint16_t kPostScriptModeA = 570;       // 0 by attribute 958, 1 mode 1 with flag A, 2 mode 2
constexpr uint16_t kPostScriptModeB = 571;       // 0, 1 or 2
constexpr uint16_t kColourConversionChoice = 910; // 22: the colour table of mode 1
constexpr uint16_t kColourConversionPart = 911;
constexpr uint16_t kDeviceRulesChoice = 915;     // 1: the device's capability rules apply to the job
constexpr uint16_t kJobNameRanges = 1026;        // in the printer configuration: the characters of Unicode job names
constexpr uint16_t kColourRenderMode = 1228;     // in the job state: 0 or 4 from the colour adjustment
constexpr uint16_t kDeviceListSelector = 1243;  // under 365: the key of the device list map
constexpr uint16_t kDeviceListMap = 1244;       // in the job state: 1243's key to a list id
constexpr uint16_t kJobDeviceList = 330;         // in the job state: the list the writers send
constexpr uint16_t kColourRenderChoice = 1304;

// Page geometry, booklet and watermark filters.
constexpr uint16_t kNupFrame = 267;              // under kPageLayout: a frame round each cell
constexpr uint16_t kNupPageOrder = 268;          // under kPageLayout: 0 to 3
constexpr uint16_t kScalePercent = 269;          // % of normal size
constexpr uint16_t kFitToPaper = 270;            // 1 fits the pages to kFitTargetMedia
constexpr uint16_t kFitScaleToFit = 271;         // 0 centres at full size
constexpr uint16_t kFitTargetMedia = 273;        // a GMedia
constexpr uint16_t kBookletSheetOrder = 281;     // 1 innermost sheet first
constexpr uint16_t kBookletSheetMedia = 288;     // a GMedia: the booklet's sheet
constexpr uint16_t kBookletKeptSetting = 248;
constexpr uint16_t kBookletCoverTray = 1214;
constexpr uint16_t kBookletCoverMediaType = 1215; // a GStringAttribute
constexpr uint16_t kBookletCoverSource = 1218;
constexpr uint16_t kNupSheetOrientation = 1235;
constexpr uint16_t kEmulateMargins = 711;        // 1 scales pages into the device's margins
constexpr uint16_t kEmulateMarginsSymmetric = 712;
constexpr uint16_t kDeviceMediaOnly = 713;       // 1 moves pages to the device media unscaled
constexpr uint16_t kSymmetricalDuplexCapable = 204; // in the printer configuration
constexpr uint16_t kSymmetricalNoScaling = 983;
constexpr uint16_t kWatermarkSettings = 379;
constexpr uint16_t kWatermarkFaceName = 386;
constexpr uint16_t kWatermarkShade = 403;

// Manual duplex, covers, letterhead, reducing and colour-adjustment filters.
constexpr uint16_t kDuplexMediaIds = 188;        // in the printer configuration: media ids the duplex unit takes
constexpr uint16_t kDuplexUnitFitted = 204;      // in the printer configuration: absent counts as fitted
constexpr uint16_t kBookletJob = 279;            // positive: the job is printed as a booklet
constexpr uint16_t kChromafitChoices = 295;      // the job's colour-adjustment attribute
constexpr uint16_t kJobEndText = 800;            // on the document end after a manual duplex job
constexpr uint16_t kJobEndMark = 801;
constexpr uint16_t kBackCoverMode = 920;         // 0 none, 1 the first page's paper, 2 921 and 973
constexpr uint16_t kBackCoverTray = 921;
constexpr uint16_t kBackCoverMediaType = 973;
constexpr uint16_t kDuplexTakenOver = 1123;      // 1 once the driver decided the sides itself
constexpr uint16_t kFrontCoverTray = 1214;
constexpr uint16_t kFrontCoverMediaType = 1215;
constexpr uint16_t kFrontCover = 1218;           // 0: no front cover
constexpr uint16_t kTrayKindSwitch = 1226;       // in the printer configuration

// Property sheets and the UI plug-ins.
constexpr uint16_t kUIPlugInNames = 63;          // in the settings: the list of plug-in module names
constexpr uint16_t kLastPageTitle = 1118;        // under 364: the title of the page left last
constexpr uint16_t kOutputOptionsName = 316;     // in 365: the output-options device name
constexpr uint16_t kHardDiskInstalled = 239;
constexpr uint16_t kJobStorageMode = 287;
constexpr uint16_t kJobStorageEnabled = 520;
constexpr uint16_t kColorPageOption = 339;       // in the configuration: 1 offers the Color page
constexpr uint16_t kPdlWriterGroup = 98;         // in the configuration: holds the writer 101

// Printer events, the device sheet and the printer upgrade.
constexpr uint16_t kPluginConfigImport = 306;    // under 364: 1 lets the UI plug-ins import the configuration
constexpr uint16_t kAutoUpdateMode = 313;        // under 228 of the configuration: 2 configured, 0 not
constexpr uint16_t kInitializationOptions = 364;
constexpr uint16_t kRunMiniInstaller = 1025;     // under 364: 1 runs the mini-installer

// The document sheet and its pages.
constexpr uint16_t kJobStorageFirstUse = 1033;   // 1 until the user has a local job storage

}  // namespace FeatureId
