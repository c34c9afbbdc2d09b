#include "GDriverDataModel.h"

#include "graphics/GDeviceFontListComposite.h"
#include "model/GAttributeComposite.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GSelectionString.h"
#include "model/GStreamHolder.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentComposite.h"
#include "model/MPersistentAssociation.h"
#include "printer/GFormToTrayDatabase.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "pdl/pjl_xl/GPJL.h"
#include "printer/GBin.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"
#include "model/GState.h"
#include "printer/GTray.h"

#include <iterator>
#include <memory>
#include <utility>

namespace {

// The feature id every media of a pool carries.
const long kMediaFeature = 190;
// Margins of every paper: a sixth of an inch on each side.
const uint16_t kMarginDivisor = 6;

const GDriverDataModel::Paper kPapers[] = {
    // code, keyword, metric, width, height (1/1000 in or 1/10 mm), media type
    {1, "LETTER", false, 8500, 11000, "Plain"},
    {6, "LEGAL", false, 8500, 14000, "Plain"},
    {17, "EXECUTIVE", false, 7250, 10500, "Plain"},
    {23, "A4", true, 2100, 2970, "Plain"},
    {27, "A5", true, 1480, 2100, "Plain"},
    {40, "JIS B5", true, 1820, 2570, "Plain"},
    {8, "ENV_10", false, 4125, 9500, "Envelope"},
    {15, "ENV_DL", true, 1100, 2200, "Envelope"},
    {13, "ENV_C5", true, 1620, 2290, "Envelope"},
    // Custom sizes: the largest and smallest a job may ask for, 8.5 x 14 in and 3 x 5 in,
    // once for the media walk and once for the range check of a custom size.
    {17384, "CUSTOM_MAX", false, 8500, 14000, ""},
    {17385, "CUSTOM_MIN", false, 3000, 5000, ""},
    {17388, "CUSTOM_MAX", false, 8500, 14000, ""},
    {17389, "CUSTOM_MIN", false, 3000, 5000, ""},
};

const uint16_t kOrientations[] = {0, 90, 180, 270};

// The resolution lists, x and y in dots per inch; the second one is offered when the
// settings ask for the finer mode.
const uint16_t kResolutions[][2] = {{600, 600}, {1200, 1200}};
const uint16_t kStandardResolutions[][2] = {{600, 600}, {600, 600}};  // the repeat is reported once

// Trays: the input devices, their trays, the paper-source codes of the OS tray map and
// the PCL XL media-source codes of the writer's tray map.
const struct {
    const char* name;
    uint32_t mode;     // 0 built in, 1 optional
    uint16_t trayId;
    int32_t capacity;  // sheets
    uint16_t osCode;   // paper-source code the system shows
    uint16_t pdlCode;  // PCL XL media source
} kInputs[] = {
    {"Tray 1", 0, 1, 100, 257, 3},          // multipurpose tray
    {"Tray 2", 0, 2, 500, 258, 4},
    {"Tray 3", 1, 3, 500, 259, 5},          // optional 500-sheet tray
    {"Envelope Feeder", 1, 5, 75, 260, 6},  // optional
};

// Bins: the output devices, their options with the bins each offers, and the PJL names.
const struct {
    const char* name;
    uint32_t mode;
    uint16_t option;
    uint16_t binId;
    int32_t capacity;
    const char* pjlName;
} kOutputs[] = {
    {"Face-Down Bin", 0, 1, 1, 250, "UPPER"},
    {"Rear Face-Up Bin", 0, 1, 2, 100, "LOWER"},
    {"W1908", 1, 3, 3, 500, "OPTIONALOUTBIN1"},  // stacker mode
    {"W1908", 1, 4, 3, 500, "OPTIONALOUTBIN1"},  // stapler mode
};

// What the network registry agent's device query reads into the paper path: the models
// the driver drives (the query checks the reported one against them), the index ranges
// of the agent's values, and the installable options it recognises by their models.
const char* const kAcceptedModels[] = {"QZ Colour Laser 5900", "QZ Colour Laser 5900dn", "QZ Colour Laser 5930",
                                       "QZ Colour Laser 5930dn"};
const struct {
    long feature;
    int16_t first;
    int16_t last;
} kAgentIndexes[] = {
    {232, 1, 4},   // paper-handling devices: "PHD1-MODEL" to "PHD4-MODEL"
    {233, 1, 4},   // input trays: "prtInputModel1" to "prtInputModel4"
    {234, 1, 3},   // output-bin names: "prtOutputName1" to "prtOutputName3", one per bin
    {235, 1, 2},   // the agent's further index range beside the trays and bins; no value read yet
    {236, 1, 2},   // disks: "hrDiskStorageMedia1" and "hrDiskStorageMedia2"
    {700, 1, 15},  // media names: "MEDIA1-NAME" to "MEDIA15-NAME", one per media type
};
// Option models a paper-handling device may report, each with the feature it sets: a
// flag, or a text that takes the reported model.
const struct {
    const char* model;
    bool text;
} kOptionModels[] = {
    {"QZ-DU5900", false},   // automatic two-sided unit
    {"QZ-HD5900", false},   // hard disk
    {"QZ-SS5900", true},    // stapler/stacker: the model names the finisher
};
// How the query recognises an optional device: its name inside a reported model.
const uint32_t kDetectByNameInside = 1;

// Media types offered by name (the named list the driver object selects from).
const char* const kMediaTypes[] = {"Plain", "Preprinted", "Letterhead", "Transparency", "Prepunched", "Labels",
                                   "Bond", "Recycled", "Color", "Card Stock", "Rough", "Vellum", "Heavy",
                                   "Glossy", "Envelope"};

// --- Media types of our own brand (configuration translators) ---
// Named as the branded rows of the media-type translator's table name them: plain and
// colour-laser papers, then glossy, satin and matte ones.
const char* const kBrandedMediaTypes[] = {
    "QZ Office Paper",     "QZ Multipurpose",     "QZ Premium Choice",     "QZ Bright White",
    "QZ Recycled Office",  "QZ Laser Paper 90g",  "QZ Laser Paper 105g",   "QZ Colour Laser Paper",
    "QZ Colour Laser Premium", "PhotoGloss",      "QZ Laser Gloss 120g",   "QZ Laser Gloss 160g",
    "QZ Photo Gloss 200g", "QZ Cover Gloss 250g", "QZ Laser Satin 120g",   "QZ Laser Satin 160g",
    "QZ Laser Matte 120g", "QZ Laser Matte 160g", "QZ Cover Matte 200g",
};
// --- end of the branded media types ---

// --- Model bundles, named features and quality presets (configuration translators) ---
// Bundles of the named list: a model name of the bundle translator's table, its index and
// the device settings it stands for, its own index among them.
const struct {
    uint16_t index;
    const char* name;
    uint16_t duplexUnit;  // 308
    uint16_t tray1;       // 974
} kBundles[] = {
    {1, "QZColourLaser", 0, 1},
    {2, "QZColourLaser dn", 1, 1},
    {3, "QZColourLaser dtn", 1, 0},
};
const long kTray1Installed = 974;
// The accessory name the device options name for the post-insertion kit (1205).
const char* const kPostInsertionKitModel = "QZ-PI5900";
const long kPostInsertionKit = 1205;
// Quality presets: "Best" (326) and "Normal" (327), a value per member of the preset map;
// 593 carries the colour rows (586 to 588) in the "Best" preset only.
const struct {
    long member;
    uint16_t best;
    uint16_t normal;
} kPresetMembers[] = {
    {218, 2, 1}, {221, 1, 0}, {443, 0, 0}, {219, 1, 0}, {242, 0, 0}, {220, 0, 0}, {589, 0, 0},
    {586, 1, 0}, {587, 1, 0}, {588, 1, 0}, {593, 1, 0}, {402, 0, 0}, {409, 0, 0}, {705, 0, 0},
    {404, 0, 0}, {913, 0, 0}, {912, 0, 0},
};
// The resolution preset 222: 223, 224, 225 for the resolution node's 323, 324, 325.
const uint16_t kPresetResolution[2][3] = {{0, 0, 2}, {2, 2, 1}};  // "Best", "Normal"
// --- end of the model bundles, named features and quality presets ---

// Members of the paper path beyond the devices: installed options the settings copy in.
const long kDuplexUnit = 201;
const long kHardDisk = 1011;
const long kDetectedOptions = 204;
const long kCollation = 231;  // the printer collates; the device query may say otherwise
const long kManualFeed = 226;
// Memory in megabytes: the range the paper path shares with the page writer.
const int16_t kMemory[] = {256, 768, 128, 256};  // minimum, maximum, step, installed
const long kAlternateMargin = 12;  // a twelfth of an inch

uint16_t Dots(const GDriverDataModel::Paper& paper, uint16_t length, uint16_t resolution)
{
    // Integer arithmetic only, so that every build writes the same sizes.
    return uint16_t(paper.metric ? uint32_t(length) * resolution / 254 : uint32_t(length) * resolution / 1000);
}

GMedia* MakeMedia(const GDriverDataModel::Paper& paper, uint16_t orientation, uint16_t resolution,
                  uint16_t marginDivisor)
{
    uint16_t width = Dots(paper, paper.width, resolution), height = Dots(paper, paper.height, resolution);
    if (orientation == 90 || orientation == 270)
        std::swap(width, height);
    const uint16_t margin = uint16_t(resolution / marginDivisor);
    return new GMedia(paper.name, {width, height}, {uint16_t(width - 2 * margin), uint16_t(height - 2 * margin)},
                      {margin, margin}, orientation, paper.code, resolution, resolution, kMediaFeature, 0, paper.name,
                      paper.mediaType);
}

GMediaPool* MakePool(long id, uint16_t marginDivisor)
{
    auto* pool = new GMediaPool(id);
    for (const auto& resolution : kResolutions)
        for (uint16_t orientation : kOrientations)
            for (const auto& paper : kPapers)
                pool->Add(MakeMedia(paper, orientation, resolution[0], marginDivisor));
    return pool;
}

template <size_t N>
GAttributeComposite* MakeResolutionList(long id, const uint16_t (&resolutions)[N][2])
{
    auto* list = new GAttributeComposite(id);
    for (const auto& resolution : resolutions) {
        auto* entry = new GAttributeComposite(0);
        entry->Add(new GValueAttribute(resolution[0], FeatureId::kResolutionX));
        entry->Add(new GValueAttribute(resolution[1], FeatureId::kResolutionY));
        list->Add(entry);
    }
    return list;
}

// String ids of the tray names: this base plus the tray id.
const uint16_t kTrayNameStrings = 10550;

GPaperHandlingDevice* MakeInput(const decltype(kInputs[0])& input)
{
    auto* device = new GPaperHandlingDevice(input.name, GPaperHandlingDevice::kInput, input.mode, 0,
                                            input.mode == 1 ? kDetectByNameInside : 0, 0, 0);
    auto* option = new GAttributeComposite(1);
    // The tray's display name is a string of the resource library.
    option->Add(new GTray(uint16_t(kTrayNameStrings + input.trayId), input.name, input.trayId, 0, 0, input.capacity, 0,
                          nullptr, nullptr, nullptr, 0));
    device->SetOption(1, option);
    return device;
}

// The devices of the paper path: inputs, then outputs; an output device named twice
// gets one option per row.
GAttributeComposite* MakeDevices()
{
    auto* devices = new GAttributeComposite(FeatureId::kInputDevices);
    for (const auto& input : kInputs)
        devices->Add(MakeInput(input));
    GPaperHandlingDevice* last = nullptr;
    for (const auto& output : kOutputs) {
        if (!last || !(last->GetName() == RWCString(output.name))) {
            last = new GPaperHandlingDevice(output.name, GPaperHandlingDevice::kOutput, output.mode, 0,
                                            output.mode == 1 ? kDetectByNameInside : 0, 0, 0);
            devices->Add(last);
        }
        auto* option = new GAttributeComposite(output.option);
        option->Add(new GBin(0, output.name, output.binId, 0, 0, output.capacity, 0, 0, 0, "", "", 0));
        last->SetOption(output.option, option);
    }
    return devices;
}

// The output devices the agent's output-bin names go to, in bin order: the devices of
// the paper path themselves, held a second time.
GAttributeComposite* MakeOutputAccessories(GObjectBase* devices)
{
    auto* outputs = new GAttributeComposite(FeatureId::kOutputAccessories);
    for (uint32_t i = 0; i < devices->Entries(); ++i) {
        auto* device = static_cast<GPaperHandlingDevice*>(static_cast<GAttributeComposite*>(devices)->At(i));
        if (device->GetType() == GPaperHandlingDevice::kOutput)
            outputs->Add(device);
    }
    return outputs;
}

GAttributeComposite* MakeDeviceOptions()
{
    auto* options = new GAttributeComposite(FeatureId::kDeviceOptions);
    for (const auto& option : kOptionModels) {
        auto* member = new GAttributeComposite(0);
        member->Add(new GStringAttribute(option.model, FeatureId::kOptionModel));
        if (option.text)
            member->Add(new GStringAttribute("", FeatureId::kOptionTarget));
        else
            member->Add(new GValueAttribute(0, FeatureId::kOptionTarget));
        options->Add(member);
    }
    // A named feature: the accessory name exported when the feature is installed.
    auto* named = new GAttributeComposite(0);
    named->Add(new GStringAttribute(kPostInsertionKitModel, FeatureId::kOptionModel));
    named->Add(new GValueAttribute(uint16_t(kPostInsertionKit), FeatureId::kOptionTarget));
    options->Add(named);
    return options;
}

GAttributeComposite* MakePaperPath()
{
    auto* path = new GAttributeComposite(FeatureId::kPaperPath);
    GAttributeComposite* devices = MakeDevices();
    path->Add(devices);
    path->Add(new GRangeAttribute(kMemory[0], kMemory[1], uint16_t(kMemory[2]), kMemory[3], FeatureId::kSharedRange));
    for (long id : {kDuplexUnit, kHardDisk, kDetectedOptions, kManualFeed})
        path->Add(new GValueAttribute(0, id));
    path->Add(new GValueAttribute(1, kCollation));
    // The device query's own members.
    path->Add(new GStringAttribute("", FeatureId::kReportedModel));
    auto* accepted = new GAttributeComposite(FeatureId::kAcceptedModels);
    for (const char* model : kAcceptedModels)
        accepted->Add(new GStringAttribute(model, 0));
    path->Add(accepted);
    for (const auto& range : kAgentIndexes)
        path->Add(new GRangeAttribute(range.first, range.last, 1, range.first, range.feature));
    path->Add(new GValueAttribute(0, FeatureId::kAgentUpdateState));
    path->Add(new GAttributeComposite(FeatureId::kMediaNames));
    path->Add(MakeDeviceOptions());
    path->Add(MakeOutputAccessories(devices));
    return path;
}

GAttributeComposite* MakeNamedMediaTypes()
{
    auto* list = new GAttributeComposite(FeatureId::kNamedList);
    auto add = [list](const char* type) {
        auto* entry = new GAttributeComposite(0);
        entry->Add(new GStringAttribute(type, FeatureId::kNamedListName));
        entry->Add(new GValueAttribute(MediaTypeNameToCode(type), FeatureId::kNamedListValue));
        list->Add(entry);
    };
    for (const char* type : kMediaTypes)
        add(type);
    for (const char* type : kBrandedMediaTypes)
        add(type);
    for (const auto& bundle : kBundles) {
        auto* entry = new GAttributeComposite(0);
        entry->Add(new GValueAttribute(bundle.index, FeatureId::kBundleIndex));
        entry->Add(new GStringAttribute(bundle.name, FeatureId::kNamedListName));
        auto* device = new GAttributeComposite(FeatureId::kDeviceSettings);
        device->Add(new GValueAttribute(bundle.index, FeatureId::kBundleIndex));
        device->Add(new GValueAttribute(bundle.duplexUnit, FeatureId::kDuplexUnit));
        device->Add(new GValueAttribute(bundle.tray1, kTray1Installed));
        auto* settings = new GAttributeComposite(FeatureId::kNamedListValue);
        settings->Add(device);
        entry->Add(settings);
        list->Add(entry);
    }
    return list;
}

GAttributeComposite* MakeQualityPreset(long id, bool best)
{
    auto* preset = new GAttributeComposite(id);
    for (const auto& member : kPresetMembers)
        preset->Add(new GValueAttribute(best ? member.best : member.normal, member.member));
    const uint16_t(&resolution)[3] = kPresetResolution[best ? 0 : 1];
    auto* pair = new GAttributeComposite(FeatureId::kResolutionPreset);
    pair->Add(new GValueAttribute(resolution[0], FeatureId::kPresetXResolution));
    pair->Add(new GValueAttribute(resolution[1], FeatureId::kPresetYResolution));
    pair->Add(new GValueAttribute(resolution[2], FeatureId::kPresetResolutionBits));
    preset->Add(pair);
    return preset;
}

// The papers the settings know, each keyed by its code.
MAssociationList* MakeKnownPapers()
{
    auto* list = new MAssociationList(FeatureId::kKnownPapers);
    for (const auto& paper : kPapers)
        if (paper.code < 17384)
            list->Add(new MPersistentAssociation(new GValueAttribute(paper.code, 0),
                                                 new GStringAttribute(paper.name, 0)));
    return list;
}

// The entry template of stored lists: a name, its paper and two settings.
GAttributeComposite* MakeListTemplate()
{
    auto* entry = new GAttributeComposite(FeatureId::kListTemplate);
    entry->Add(new GStringAttribute("", 376));
    entry->Add(new GValueAttribute(0, 379));
    entry->Add(new GValueAttribute(0, 328));
    entry->Add(new GValueAttribute(1, 260));
    return entry;
}

// ---- The driver user-interface object's model: the factory settings group, the
// printer-data overlay list and the printer's default state. ----

// Printer-data values that overlay the device settings: feature id -> value name.
const struct {
    uint16_t featureId;
    const char* valueName;
} kModelDefaultValues[] = {
    {197, "QZTrayConfiguration"},  // a value attribute
    {316, "QZDeviceNickname"},     // a string attribute
    {FeatureId::kSharedRange, "QZMemorySize"},  // a range attribute
};

// Watermarks every user of the printer shares.
const char* const kSharedWatermarks[] = {"Confidential", "Draft"};

// The custom paper size the factory settings start from, in tenths of a millimetre.
const uint16_t kCustomPaper[] = {2159, 2794};

// ---- The settings a document and the device carry, each where the configuration
// translators, the DEVMODE converter, the capability queries and the sheet look for it,
// with the value a new printer starts from. A feature held as a range keeps its bounds.
struct Setting {
    uint16_t id;
    uint16_t value;
};

// The job settings (362).
const Setting kJobSettings[] = {
    {248, 1},    // output bin: automatic
    {250, 0},    {251, 0},   {252, 0}, // econo mode off
    {253, 0},    // duplex: one-sided; 1 short edge, 2 long edge
    {255, 0},
    {258, 1},    // paper source: the tray id of Tray 1
    {265, 0},    // orientation in degrees
    {266, 1},    // pages per sheet
    {267, 0},    {268, 0},
    {269, 100},  // scale in percent
    {270, 0},    {271, 0},
    {272, 1},    // the paper a job is fitted to: Letter
    {277, 0},    {278, 0},  {279, 0}, {280, 0}, {287, 0}, {289, 0}, {410, 0}, {442, 0},
    {585, 0},    // text as black
    {612, 0},    {710, 0},  {711, 0}, {713, 0},
    {901, 1},    // print quality: "Best", the finer resolution for every media
    {905, 0},    {920, 0},  {983, 0}, {1133, 0}, {1201, 0}, {1202, 0}, {1204, 0}, {1209, 0},
    {263, 1},    // the other pages' tray
    {921, 1},    // the back cover's tray
};
// The document settings (364).
const Setting kDocumentSettings[] = {
    {264, 0},  // every page on the job's media and tray
    {291, 1},  // copies
    {292, 0},  // collate
    {293, 0},
    {294, 1},  // colour offered
    {296, 0},  // colour mode: colour; 1 monochrome
    {304, 0},  {451, 0},
};
// The selected watermark's look (364 / 379), as the watermark translators start it: no
// pages, regular, shade 224, diagonal, colour 224 224 224, in "Arial" (386, a text).
const Setting kWatermarkSelection[] = {{382, 2}, {387, 0}, {388, 0}, {393, 1},   {394, 0},
                                       {398, 224}, {399, 224}, {400, 224}, {403, 224}, {1112, 0}};
// Media names of the document (364): the job's, the other pages' and the back cover's.
const uint16_t kMediaTexts[] = {261, 262, 973};
// The device settings (365): installed options and device switches.
const Setting kDeviceSettings[] = {
    {197, 0},                          // bins from the tray pool
    {FeatureId::kDuplexFallback, 0},   // 245
    {239, 0},                          // hard disk
    {275, 0},                          // envelope feeder
    {FeatureId::kDuplexUnit, 1},       // 308: the duplex unit is installed
    {310, 1},                          // the printer collates
    {311, 0},                          // stapler present
    {307, 0},
    {FeatureId::kAgentAvailable, 0},   // 313
    {441, 0},  {518, 0}, {520, 0}, {613, 0},
    {915, 0},                          // papers must fit strictly
    {918, 0},
    {925, 256},                        // installed memory in megabytes
    {974, 1},                          // Tray 1 installed
    {981, 0},
};

GAttributeComposite* Holding(GAttributeComposite* node, const Setting* settings, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        node->Add(new GValueAttribute(settings[i].value, settings[i].id));
    return node;
}

GAttributeComposite* MakeDeviceSettings()
{
    auto* device = new GState(FeatureId::kDeviceSettings);
    device->Add(new GFormToTrayDatabase(FeatureId::kFormToTrayTable));
    Holding(device, kDeviceSettings, sizeof kDeviceSettings / sizeof *kDeviceSettings);
    // Installed memory in megabytes, as the paper path's shared range holds it.
    device->Add(new GRangeAttribute(256, 768, 128, 256, FeatureId::kSharedRange));
    device->Add(new GStringAttribute("", 315));
    device->Add(new GStringAttribute("Colour Laser", 316));
    return device;
}

// The document settings, with the selected watermark and the colour options as the
// printer is configured with them.
GAttributeComposite* MakeDocumentSettings(GConfiguration& configuration)
{
    auto* document = new GAttributeComposite(FeatureId::kDocumentSettings);
    Holding(document, kDocumentSettings, sizeof kDocumentSettings / sizeof *kDocumentSettings);
    for (uint16_t id : kMediaTexts)
        document->Add(new GStringAttribute("Plain", id));
    auto* watermark = new GAttributeComposite(FeatureId::kWatermarkDefinition);
    Holding(watermark, kWatermarkSelection, sizeof kWatermarkSelection / sizeof *kWatermarkSelection);
    watermark->Add(new GStringAttribute("Arial", FeatureId::kWatermarkFaceName));
    watermark->Add(new GStringAttribute("", FeatureId::kWatermarkSelected));
    document->Add(watermark);
    if (GObjectBase* colour = configuration.FindById(FeatureId::kColourAdjustment))
        document->Add(colour->Copy());
    return document;
}

GAttributeComposite* MakeWatermarkList()
{
    auto* list = new GAttributeComposite(FeatureId::kWatermarkList);
    for (const char* name : kSharedWatermarks) {
        auto* watermark = new GAttributeComposite(0);
        watermark->Add(new GStringAttribute(name, FeatureId::kWatermarkName));
        watermark->Add(new GValueAttribute(1, FeatureId::kWatermarkScope));
        list->Add(watermark);
    }
    return list;
}

// The UI plug-ins a document sheet collects its pages from: the module's own pages, then
// the pages of the registered extensions' UI modules.
GAttributeComposite* MakePlugInList()
{
    auto* list = new GAttributeComposite(FeatureId::kUIPlugInNames);
    list->Add(new GStringAttribute("qzui32.dll", 0));
    list->Add(new GStringAttribute("GExtensionUIManager", 0));
    return list;
}

// Fills the settings group 359 (which already holds 366 with the stored-form choice)
// and adds the overlay list 950 and the base-configuration switch 1122.
void AddDriverUIModel(GConfiguration& configuration)
{
    GObjectBase* group = configuration.FindById(FeatureId::kStoredFormGroup);
    group->Add(MakeDeviceSettings());
    group->Add(MakeDocumentSettings(configuration));
    group->FindById(FeatureId::kPrinterLists)->Add(MakeWatermarkList());
    group->Add(new GState(FeatureId::kExtensionData));
    group->Add(new GAttributeComposite(FeatureId::kCustomSizeList));
    group->Add(MakePlugInList());
    group->Add(new GValueAttribute(kCustomPaper[0], FeatureId::kCustomWidth));
    group->Add(new GValueAttribute(kCustomPaper[1], FeatureId::kCustomLength));

    auto* overlay = new MAssociationList(FeatureId::kModelDefaultsList);
    for (const auto& row : kModelDefaultValues)
        overlay->Add(new MPersistentAssociation(new GValueAttribute(row.featureId, 0),
                                                new GStringAttribute(row.valueName, 0)));
    configuration.Add(overlay);
    configuration.Add(new GValueAttribute(1, FeatureId::kBaseFromModelName));
}

// The printer's default state: the document defaults (with their paper node, the
// resolution and the job settings) and the page defaults.
GState* MakeDefaultState()
{
    auto* state = new GState(GState::kCurrentStateId);
    auto* document = new GState(FeatureId::kDocumentDefaults);
    document->Add(new GValueAttribute(1, FeatureId::kDefaultPaperNode));
    Holding(document, kJobSettings, sizeof kJobSettings / sizeof *kJobSettings);
    auto* resolution = new GAttributeComposite(FeatureId::kResolutionGroup);
    resolution->Add(new GValueAttribute(600, FeatureId::kXResolution));
    resolution->Add(new GValueAttribute(600, FeatureId::kYResolution));
    resolution->Add(new GValueAttribute(1, FeatureId::kResolutionBits));
    document->Add(resolution);
    state->Add(document);
    auto* page = new GState(FeatureId::kPageDefaults);
    page->Add(new GValueAttribute(1, 257));
    state->Add(page);
    return state;
}

// ---- What the capability queries and the print-time query read. ----

// The copy and scale ranges, the duplex values the device accepts (0 one-sided, 1 short
// edge, 2 long edge), the collation and colour switches and the orientations the device prints (a
// DEVMODE's orientation is taken only when the list holds it).
void AddCapabilityModel(GConfiguration& configuration)
{
    configuration.Add(new GRangeAttribute(1, 999, 1, 1, FeatureId::kCopiesRange));
    configuration.Add(new GRangeAttribute(25, 400, 1, 100, FeatureId::kScaleRange));
    configuration.Add(new GRangeAttribute(0, 2, 1, 0, FeatureId::kDuplexRange));
    auto* orientations = new GAttributeComposite(FeatureId::kOrientationList);
    for (uint16_t degrees : {0, 90, 180, 270})
        orientations->Add(new GValueAttribute(degrees, 0));
    configuration.Add(orientations);
    configuration.Add(new GValueAttribute(1, FeatureId::kCollationSwitch));
    configuration.Add(new GValueAttribute(1, FeatureId::kColorDevice));
}

GConfiguration* MakePrinterConfiguration()
{
    auto* configuration = new GConfiguration(GState::kConfigurationPartId);
    configuration->Add(MakePaperPath());
    AddCapabilityModel(*configuration);
    configuration->Add(MakePool(FeatureId::kMediaPool, kMarginDivisor));
    configuration->Add(MakePool(FeatureId::kAlternateMediaPool, kAlternateMargin));
    configuration->Add(MakeKnownPapers());
    configuration->Add(MakeResolutionList(FeatureId::kResolutionList, kStandardResolutions));
    configuration->Add(MakeResolutionList(FeatureId::kAlternateResolutionList, kResolutions));
    configuration->Add(MakeNamedMediaTypes());
    configuration->Add(MakeQualityPreset(FeatureId::kBestPreset, true));
    configuration->Add(MakeQualityPreset(FeatureId::kNormalPreset, false));
    configuration->Add(MakeListTemplate());
    // The resource library's file name, found beside the module.
    configuration->Add(new GStringAttribute("qzres32.dll", FeatureId::kDisplayName));
    auto* fonts = new GDeviceFontListComposite;
    fonts->SetId(FeatureId::kDeviceFonts);
    configuration->Add(fonts);
    auto* filter = new GAttributeComposite(FeatureId::kTrayFilter);
    for (const auto& input : kInputs)
        filter->Add(new GValueAttribute(input.trayId, 0));
    configuration->Add(filter);
    auto* names = new GAttributeComposite(FeatureId::kUsedNames);
    names->Add(new GStringAttribute("Factory Defaults", 0));
    configuration->Add(names);
    configuration->Add(new GValueAttribute(0, FeatureId::kAttributeValue));
    configuration->Add(new GValueAttribute(1, FeatureId::kExtensionEnable));
    configuration->Add(new GValueAttribute(0, FeatureId::kProcessFlag));
    // The colour options as configured: the manual colour import compares with them.
    configuration->Add(new GChromafitEnhancedAttributeVer2(FeatureId::kColourAdjustment));
    // Objects stored as printer data use the object-graph form.
    auto *group = new GAttributeComposite(FeatureId::kStoredFormGroup),
         *part = new GAttributeComposite(FeatureId::kStoredFormPart);
    part->Add(new GValueAttribute(0, FeatureId::kStoredForm));
    group->Add(part);
    configuration->Add(group);
    AddDriverUIModel(*configuration);
    return configuration;
}

// A writer's own configuration part holding its map.
GConfiguration* WriterMaps(MAssociationList* map)
{
    auto* maps = new GConfiguration(FeatureId::kWriterMaps);
    maps->Add(map);
    return maps;
}

MAssociationList* MakeTrayMap()
{
    auto* map = new MAssociationList(FeatureId::kPdlTrayMap);
    for (const auto& input : kInputs)
        map->Add(new MPersistentAssociation(new GValueAttribute(input.trayId, 0),
                                            new GValueAttribute(input.pdlCode, 0)));
    return map;
}

MAssociationList* MakeBinMap()
{
    auto* map = new MAssociationList(FeatureId::kPjlBinMap);
    int16_t number = 0;
    uint16_t lastBin = 0;
    for (const auto& output : kOutputs) {
        if (output.binId == lastBin)
            continue;
        lastBin = output.binId;
        map->Add(new MPersistentAssociation(new GValueAttribute(uint16_t(number + 30), 0),
                                            new GSelectionString(output.pjlName, number)));
        ++number;
    }
    return map;
}

// A mapping's resource is the string resource of its name; the list takes a mapping only
// when its resource and second code are new.
void AddMapping(GResourceMappingList& list, uint32_t resource, uint16_t firstCode, uint16_t secondCode)
{
    std::unique_ptr<GResourceMapping> mapping(new GResourceMapping(resource, firstCode, int16_t(secondCode)));
    if (list.Add(mapping.get()))
        mapping.release();
}

GResourceMappingList* MakeOsTrayMap()
{
    auto* map = new GResourceMappingList(FeatureId::kOsTrayMap);
    for (const auto& input : kInputs)
        AddMapping(*map, 10550 + input.trayId, input.osCode, input.trayId);
    return map;
}

// Each offered paper's code paired with the media id that offers it (the same code).
// The spooler's built-in forms are listed in the order of the system's paper numbers:
// the 1-based position of each offered paper's form.
const struct {
    uint16_t code;
    uint16_t formPosition;
} kBuiltInForms[] = {
    {1, 1},    // Letter
    {6, 5},    // Legal
    {17, 7},   // Executive
    {23, 9},   // A4
    {27, 11},  // A5
    {40, 13},  // B5 (JIS)
    {8, 20},   // Envelope #10
    {15, 27},  // Envelope DL
    {13, 28},  // Envelope C5
};

uint16_t FormPositionOf(uint16_t code)
{
    for (const auto& row : kBuiltInForms)
        if (row.code == code)
            return row.formPosition;
    return code;
}

// The string of the custom size's name.
const uint32_t kCustomSizeString = 10120;
// A DEVMODE's paper code of a custom size.
const uint16_t kDevModeCustomPaper = 256;

// Each offered paper's built-in form position paired with the media id that offers it
// (its code).
GResourceMappingList* MakeIdPool()
{
    auto* pool = new GResourceMappingList(FeatureId::kIdPool);
    for (const auto& paper : kPapers)
        if (paper.code < 17384)
            AddMapping(*pool, 10000 + paper.code, FormPositionOf(paper.code), paper.code);
    // A DEVMODE's custom size is the custom paper value.
    AddMapping(*pool, kCustomSizeString, kDevModeCustomPaper, FeatureId::kCustomPaperCode);
    return pool;
}

// The paper sources beyond the trays: automatic selection and manual feed.
GResourceMappingList* MakeIdMap()
{
    auto* map = new GResourceMappingList(FeatureId::kIdMap);
    AddMapping(*map, 10600, 7, 0);
    AddMapping(*map, 10601, 4, 1);
    return map;
}

// The composite peripheral with the part of the configuration that is its own; the
// configuration it offers is made of that part and its children's configurations.
template <class T>
T* WithOwnPart(T* peripheral, GConfiguration* own)
{
    peripheral->GPeripheral::SetConfiguration(new GConfiguration(0));
    peripheral->SetConfiguration(own);
    return peripheral;
}

} // namespace

const std::vector<GDriverDataModel::Paper>& GDriverDataModel::Papers()
{
    static const std::vector<Paper> papers(std::begin(kPapers), std::end(kPapers));
    return papers;
}

const std::vector<uint16_t>& GDriverDataModel::PoolResolutions()
{
    static const std::vector<uint16_t> resolutions = {kResolutions[0][0], kResolutions[1][0]};
    return resolutions;
}

MPersistentComposite* GDriverDataModel::Build()
{
    std::unique_ptr<MPersistentComposite> root(new MPersistentComposite(0));

    auto* printer = WithOwnPart(new GPrinter("QZ Colour Laser", nullptr, nullptr, FeatureId::kPrinterHolder),
                                MakePrinterConfiguration());
    printer->SetInitialState(MakeDefaultState());
    printer->Add(WithOwnPart(new GCheetah, WriterMaps(MakeTrayMap())));
    printer->Add(WithOwnPart(new GPJL, WriterMaps(MakeBinMap())));

    auto* own = new GConfiguration(GState::kConfigurationPartId);
    // The device's colour mode: 1, a colour device.
    own->Add(new GValueAttribute(1, FeatureId::kCachedValue));
    auto* peripheral =
        WithOwnPart(new GPeripheralComposite("QZ Colour Laser", nullptr, nullptr, FeatureId::kPrinterRoot), own);
    peripheral->Add(printer);

    root->Add(peripheral);
    root->Add(MakeIdPool());
    root->Add(MakeOsTrayMap());
    root->Add(MakeIdMap());
    return root.release();
}

bool GDriverDataModel::Write(const RWWString& path)
{
    std::unique_ptr<MPersistentComposite> root(Build());
    GOutStreamHolder holder(path, 1);
    RWDataOutStream* stream = holder.GetStream();
    if (!stream || !stream->Good())
        return false;
    *stream << root.get();
    stream->Flush();
    return stream->Good();
}
