#include "settings/devmode/GDevModeConverter.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/ForEachMember.h"
#include "model/GObjectIterator.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/GTextConverter.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GTray.h"

#include <cstring>
#include <memory>

namespace {

const size_t kDeviceNameAt = offsetof(DEVMODEW, dmDeviceName);
const size_t kDeviceNameChars = CCHDEVICENAME;
const size_t kSpecVersionAt = offsetof(DEVMODEW, dmSpecVersion);
const size_t kDriverVersionAt = offsetof(DEVMODEW, dmDriverVersion);
const size_t kSizeAt = offsetof(DEVMODEW, dmSize);
const size_t kDriverExtraAt = offsetof(DEVMODEW, dmDriverExtra);
const size_t kFieldsAt = offsetof(DEVMODEW, dmFields);
const size_t kOrientationAt = offsetof(DEVMODEW, dmOrientation);
const size_t kPaperSizeAt = offsetof(DEVMODEW, dmPaperSize);
const size_t kPaperLengthAt = offsetof(DEVMODEW, dmPaperLength);
const size_t kPaperWidthAt = offsetof(DEVMODEW, dmPaperWidth);
const size_t kScaleAt = offsetof(DEVMODEW, dmScale);
const size_t kCopiesAt = offsetof(DEVMODEW, dmCopies);
const size_t kDefaultSourceAt = offsetof(DEVMODEW, dmDefaultSource);
const size_t kPrintQualityAt = offsetof(DEVMODEW, dmPrintQuality);
const size_t kColorAt = offsetof(DEVMODEW, dmColor);
const size_t kDuplexAt = offsetof(DEVMODEW, dmDuplex);
const size_t kYResolutionAt = offsetof(DEVMODEW, dmYResolution);
const size_t kTTOptionAt = offsetof(DEVMODEW, dmTTOption);
const size_t kCollateAt = offsetof(DEVMODEW, dmCollate);
const size_t kFormNameAt = offsetof(DEVMODEW, dmFormName);
const size_t kFormNameChars = CCHFORMNAME;
const size_t kLogPixelsAt = offsetof(DEVMODEW, dmLogPixels);
const size_t kBitsPerPelAt = offsetof(DEVMODEW, dmBitsPerPel);
const size_t kIcmMethodAt = offsetof(DEVMODEW, dmICMMethod);
const size_t kIcmIntentAt = offsetof(DEVMODEW, dmICMIntent);
const size_t kPanningHeightAt = offsetof(DEVMODEW, dmPanningHeight);
const uint16_t kDriverVersion = 24;
// Application flags: print this application's documents in monochrome; report the
// paper's size with every paper.
const uint32_t kMonochromeApplication = 0x80;
const uint32_t kReportPaperSize = 0x200;
// The ICM fields' flags in this driver's DEVMODEs.
const uint32_t kIcmMethodFlag = 0x2000000;
const uint32_t kIcmIntentFlag = 0x4000000;
// The paper value of a custom size.
const uint16_t kCustomPaper = 16384;
// The oldest DEVMODE judged at all, and the two that carry collation and form name.
const uint16_t kOldestCheckedSpec = 0x30A;
const uint16_t kSmallestCheckedSize = 68;
const uint16_t kLargestSize = 32767;

// Where each flagged field lies: a field whose end is past dmSize is absent.
const struct {
    uint32_t bit;
    size_t at;
    size_t width;
} kFieldPlaces[] = {
    {DM_ORIENTATION, 76, 2},  {DM_PAPERSIZE, 78, 2},   {DM_PAPERLENGTH, 80, 2},   {DM_PAPERWIDTH, 82, 2},
    {DM_SCALE, 84, 2},        {DM_COPIES, 86, 2},      {DM_DEFAULTSOURCE, 88, 2}, {DM_PRINTQUALITY, 90, 2},
    {DM_COLOR, 92, 2},        {DM_DUPLEX, 94, 2},      {DM_YRESOLUTION, 96, 2},   {DM_TTOPTION, 98, 2},
    {DM_COLLATE, 100, 2},     {DM_FORMNAME, 102, 64},  {DM_LOGPIXELS, 166, 2},    {DM_BITSPERPEL, 168, 4},
    {DM_PELSWIDTH, 172, 4},   {DM_PELSHEIGHT, 176, 4}, {DM_DISPLAYFLAGS, 180, 4}, {DM_DISPLAYFREQUENCY, 184, 4},
    {kIcmMethodFlag, 188, 4}, {kIcmIntentFlag, 192, 4},
};

// Orientation in degrees to dmOrientation.
const struct {
    uint16_t degrees;
    int16_t orientation;
} kOrientations[] = {
    {0, DMORIENT_PORTRAIT}, {90, DMORIENT_LANDSCAPE}, {180, DMORIENT_PORTRAIT}, {270, DMORIENT_LANDSCAPE}};

// dmDuplex from duplex 253, for portrait and for landscape pages; other values give 1.
const struct {
    uint16_t duplex;
    int16_t portrait;
    int16_t landscape;
} kDuplexes[] = {{1, DMDUP_HORIZONTAL, DMDUP_VERTICAL}, {2, DMDUP_VERTICAL, DMDUP_HORIZONTAL}};

// The ICM intent choice 351 and dmICMIntent, both ways.
const struct {
    uint16_t choice;
    uint32_t intent;
} kIntents[] = {{0, 2}, {1, 1}, {2, 3}, {3, 4}};

// DMRES_ codes and their place in the resolution list (best first).
const struct {
    int16_t quality;
    uint32_t index;
} kResolutionQualities[] = {{DMRES_HIGH, 0}, {DMRES_MEDIUM, 1}, {DMRES_LOW, 2}, {DMRES_DRAFT, 3}};

// A 16-bit setting of a value or a range attribute.
bool Read(GObjectBase* holder, long id, int32_t& value)
{
    GObjectBase* found = holder ? holder->FindById(id) : nullptr;
    if (found && found->IsKindOf(GValueAttribute::kClassId))
        return value = int16_t(static_cast<GValueAttribute*>(found)->GetValue()), true;
    if (found && found->IsKindOf(GRangeAttribute::kClassId))
        return value = static_cast<GRangeAttribute*>(found)->GetValue(), true;
    return false;
}

int32_t ReadOr(GObjectBase* holder, long id, int32_t fallback)
{
    int32_t value = fallback;
    return Read(holder, id, value) ? value : fallback;
}

bool Write(GObjectBase* holder, long id, int32_t value)
{
    GObjectBase* found = holder ? holder->FindById(id) : nullptr;
    if (found && found->IsKindOf(GValueAttribute::kClassId))
        return static_cast<GValueAttribute*>(found)->SetValue(uint16_t(value)), true;
    if (found && found->IsKindOf(GRangeAttribute::kClassId))
        return static_cast<GRangeAttribute*>(found)->SetValue(int16_t(value)), true;
    return false;
}

bool InRange(GObjectBase* holder, long id, int32_t value)
{
    GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(holder, id);
    return !range || (value >= range->GetMinimum() && value <= range->GetMaximum());
}

// The composite under the root whose own member carries the id.
GObjectBase* HolderOf(GObjectBase* root, long id)
{
    GObjectBase* holder = nullptr;
    ForEachMember(root, [&](GObjectBase* member) {
        if (member->GetId() == id)
            holder = root;
        else
            holder = HolderOf(member, id);
        return holder == nullptr;
    });
    return holder;
}

// Sets the value, adding it next to the paper size (or at the root) when absent.
void WriteOrAdd(GObjectBase* tree, long id, int32_t value)
{
    if (!tree || Write(tree, id, value))
        return;
    GObjectBase* holder = HolderOf(tree, FeatureId::kPaperSize);
    (holder ? holder : tree)->Add(new GValueAttribute(uint16_t(value), id));
}

// The members of a preset other than its key and the resolution it stands for.
bool IsPresetSetting(long id)
{
    return id != FeatureId::kQualityKey && id != FeatureId::kXResolution && id != FeatureId::kYResolution &&
           id != FeatureId::kResolutionBits;
}

// 1 when the tree holds the preset member's value under the same id.
bool TreeHolds(GObjectBase* tree, GObjectBase* member)
{
    GObjectBase* found = tree ? tree->FindById(member->GetId()) : nullptr;
    if (!found || found->ClassId() != member->ClassId())
        return false;
    if (member->IsKindOf(GValueAttribute::kClassId))
        return static_cast<GValueAttribute*>(found)->GetValue() == static_cast<GValueAttribute*>(member)->GetValue();
    if (member->IsKindOf(GStringAttribute::kClassId))
        return static_cast<GStringAttribute*>(found)->GetString() ==
               static_cast<GStringAttribute*>(member)->GetString();
    return true;
}

void CopyInto(GObjectBase* tree, GObjectBase* member)
{
    GObjectBase* found = tree ? tree->FindById(member->GetId()) : nullptr;
    if (!found || found->ClassId() != member->ClassId())
        return;
    if (member->IsKindOf(GValueAttribute::kClassId))
        static_cast<GValueAttribute*>(found)->SetValue(static_cast<GValueAttribute*>(member)->GetValue());
    else if (member->IsKindOf(GStringAttribute::kClassId))
        static_cast<GStringAttribute*>(found)->SetString(static_cast<GStringAttribute*>(member)->GetString());
}

int32_t Clamp(int32_t value, int32_t smallest, int32_t largest)
{
    return value < smallest ? smallest : value > largest ? largest : value;
}

// Dots at a resolution to tenths of a millimetre; the resolution is positive.
int32_t Tenths(uint16_t dots, int32_t resolution) { return int32_t(dots) * 254 / resolution; }

// The name callbacks of SourceName.
struct SourceSearch {
    uint16_t bin;
    RWCString name;
};

int ExtraSourceName(GResourceMapping* mapping, int32_t, void* context, int32_t* matched, const RWWString* text)
{
    SourceSearch* search = static_cast<SourceSearch*>(context);
    if (!mapping || !text || mapping->GetFirstCode() != search->bin)
        return 1;
    ToNarrowString(*text, search->name);
    return *matched = 1, 0;
}

int TraySourceName(GObjectBase* entry, GResourceMapping* mapping, int32_t, void* context, int32_t* matched)
{
    SourceSearch* search = static_cast<SourceSearch*>(context);
    if (!mapping || mapping->GetFirstCode() != search->bin || !entry->IsKindOf(GTray::kClassId))
        return 1;
    search->name = *static_cast<GTray*>(entry)->GetName();
    return *matched = 1, 0;
}

// The first tray of that name under the holder, at any depth.
GTray* TrayNamed(GObjectBase* holder, const RWCString& name)
{
    GTray* tray = nullptr;
    ForEachMember(holder, [&](GObjectBase* member) {
        if (member->IsKindOf(GTray::kClassId))
            tray = *static_cast<GTray*>(member)->GetName() == name ? static_cast<GTray*>(member) : nullptr;
        else
            tray = TrayNamed(member, name);
        return tray == nullptr;
    });
    return tray;
}

} // namespace

GDevModeConverter::GDevModeConverter(GDriverObject* driver) : GDevModeBase(driver) {}
GDevModeConverter::~GDevModeConverter() {}

void GDevModeConverter::WriteDeviceName(uint8_t* devMode)
{
    wchar_t name[kDeviceNameChars] = {};
    if (driver_) {
        const RWWString& printer = driver_->GetPrinterName();
        const size_t length = printer.Length() < kDeviceNameChars - 1 ? printer.Length() : kDeviceNameChars - 1;
        std::memcpy(name, printer.Data(), length * sizeof(wchar_t));
    }
    if (std::memcmp(devMode + kDeviceNameAt, name, sizeof name) != 0)
        std::memcpy(devMode + kDeviceNameAt, name, sizeof name);
}

void GDevModeConverter::BindDriver(GDriverObject* driver)
{
    GDevModeBase::BindDriver(driver);
    WriteDeviceName(buffer_);
}

uint32_t GDevModeConverter::PresentFields(const void* devMode)
{
    const uint16_t size = Word(devMode, kSizeAt);
    if (size < kFieldsAt + 4)
        return 0;
    uint32_t fields = DoubleWord(devMode, kFieldsAt);
    for (const auto& place : kFieldPlaces)
        if (place.at + place.width > size)
            fields &= ~place.bit;
    return fields;
}

GObjectBase* GDevModeConverter::Configuration() const { return driver_ ? driver_->GetPrinterConfiguration() : nullptr; }

GObjectBase* GDevModeConverter::ResolutionList() const
{
    GObjectBase* configuration = Configuration();
    if (!configuration)
        return nullptr;
    const bool alternate = driver_ && ReadOr(driver_->GetSettings(), FeatureId::kResolutionListChoice, 0) == 2;
    return configuration->FindById(alternate ? FeatureId::kAlternateResolutionList : FeatureId::kResolutionList);
}

void GDevModeConverter::CustomLimits(GObjectBase* tree, int32_t smallest[2], int32_t largest[2])
{
    smallest[0] = smallest[1] = 0;
    largest[0] = largest[1] = kLargestSize;
    GObjectBase* resolution = tree ? tree->FindById(FeatureId::kResolutionNode) : nullptr;
    const int32_t x = ReadOr(resolution, FeatureId::kXResolution, 0),
                  y = ReadOr(resolution, FeatureId::kYResolution, 0);
    // A tree read from a DEVMODE may hold any resolution: without a positive one the
    // device's sizes cannot be converted and the widest range stands. dmPaperWidth and
    // dmPaperLength are the paper's own whichever way the page is turned.
    if (!driver_)
        return;
    driver_->CustomSizeLimit(FeatureId::kSmallestCustomMedia, x, y, smallest);
    driver_->CustomSizeLimit(FeatureId::kLargestCustomMedia, x, y, largest);
}

bool GDevModeConverter::AsksSizeByDimensions(const void* devMode)
{
    const uint32_t fields = PresentFields(devMode);
    const uint32_t sized = DM_PAPERWIDTH | DM_PAPERLENGTH;
    uint16_t code = 0;
    return (fields & sized) == sized && int16_t(Word(devMode, kPaperWidthAt)) > 0 &&
           int16_t(Word(devMode, kPaperLengthAt)) > 0 &&
           (!(fields & DM_PAPERSIZE) || Word(devMode, kPaperSizeAt) == 0) && driver_ &&
           driver_->GetPoolValue(kCustomPaper, code);
}

// ---- The public fields as one table ----
//
// Each row names a field's dmFields bits, where it lies in the DEVMODE and the feature it
// maps to, and how it goes into the tree (FromDevMode), out of it (ToDevMode) and through
// the check (CheckDevMode). The three walks read the same rows in the same order: the
// orientation before the duplex that depends on it, the resolution before the custom
// size that is converted at it.

// What one walk over the fields works on.
struct GDevModeConverter::FieldWalk {
    GDevModeConverter& self;
    uint8_t* bytes;     // the DEVMODE: written by ToDevMode, only read by the other walks
    uint16_t size;      // its dmSize: nothing past it is read or written
    uint32_t fields;    // ToDevMode: the dmFields being built; else the flagged fields present
    GObjectBase* tree;  // the settings; the object's own tree in the check
    GObjectBase* configuration;

    int16_t Field(size_t at) const { return int16_t(GDevModeConverter::Word(bytes, at)); }
    bool Inside(size_t at, size_t width) const { return at + width <= size; }
    void Clear(uint32_t bits) { fields &= ~bits; }
    // Writes a field inside the DEVMODE's size and sets its bits (none for 0).
    void Put(size_t at, uint32_t bit, int32_t value)
    {
        if (Inside(at, 2))
            GDevModeConverter::PutWord(bytes, at, uint16_t(value)), fields |= bit;
    }
    void PutLong(size_t at, uint32_t bit, uint32_t value)
    {
        if (Inside(at, 4))
            GDevModeConverter::PutDoubleWord(bytes, at, value), fields |= bit;
    }
    // The check's orientation angle: 90 for an asked landscape, else 0.
    uint32_t Angle() const
    {
        return (fields & DM_ORIENTATION) && Field(kOrientationAt) == DMORIENT_LANDSCAPE ? 90 : 0;
    }
    // Two-sided printing needs a duplex unit or manual duplexing; a DEVMODE code without
    // a driver object judges nothing.
    bool BothSides() const { return !self.driver_ || self.driver_->BothSidesPossible(); }
    // The newer public parts carry collation and the form name.
    bool Newer() const
    {
        const uint16_t version = GDevModeConverter::Word(bytes, kSpecVersionAt);
        return (version == 0x400 || version == 0x401) && size > 219;
    }
};

struct GDevModeConverter::FieldRules {
    struct Row;
    static const Row kRows[];

    static void IntoOrientation(FieldWalk& w);
    static void OutOrientation(FieldWalk& w);
    static uint32_t CheckOrientation(FieldWalk& w);
    static void IntoQuality(FieldWalk& w);
    static void OutQuality(FieldWalk& w);
    static uint32_t CheckQuality(FieldWalk& w);
    static uint32_t CheckWidth(FieldWalk& w);
    static uint32_t CheckLength(FieldWalk& w);
    static void IntoPaper(FieldWalk& w);
    static void OutPaper(FieldWalk& w);
    static uint32_t CheckPaper(FieldWalk& w);
    static void IntoSource(FieldWalk& w);
    static void OutSource(FieldWalk& w);
    static uint32_t CheckSource(FieldWalk& w);
    static void IntoCopies(FieldWalk& w);
    static void OutCopies(FieldWalk& w);
    static uint32_t CheckCopies(FieldWalk& w);
    static void IntoColour(FieldWalk& w);
    static void OutColour(FieldWalk& w);
    static uint32_t CheckColour(FieldWalk& w);
    static void IntoIcmMethod(FieldWalk& w);
    static void IntoIcmIntent(FieldWalk& w);
    static void OutIcm(FieldWalk& w);
    static void IntoDuplex(FieldWalk& w);
    static void OutDuplex(FieldWalk& w);
    static uint32_t CheckDuplex(FieldWalk& w);
    static void IntoCollate(FieldWalk& w);
    static void OutCollate(FieldWalk& w);
    static uint32_t CheckCollate(FieldWalk& w);
    static uint32_t CheckFormName(FieldWalk& w);
};

struct GDevModeConverter::FieldRules::Row {
    uint32_t bits;                    // the dmFields bits the row answers for
    size_t at;                        // where the field lies in DEVMODEW
    uint16_t feature;                 // the setting the field maps to
    void (*into)(FieldWalk&);         // into the tree, when the field is flagged (or always)
    void (*out)(FieldWalk&);          // out of the tree into the DEVMODE
    uint32_t (*check)(FieldWalk&);    // the mismatch bits of a flagged field; 0 when it can print
    bool intoAlways;                  // read whether or not the field is flagged
};

const GDevModeConverter::FieldRules::Row GDevModeConverter::FieldRules::kRows[] = {
    {DM_ORIENTATION, kOrientationAt, FeatureId::kOrientation, &FieldRules::IntoOrientation,
     &FieldRules::OutOrientation, &FieldRules::CheckOrientation, false},
    {DM_PRINTQUALITY, kPrintQualityAt, FeatureId::kResolutionNode, &FieldRules::IntoQuality,
     &FieldRules::OutQuality, &FieldRules::CheckQuality, false},
    {DM_PAPERWIDTH, kPaperWidthAt, FeatureId::kCustomWidth, nullptr, nullptr, &FieldRules::CheckWidth, false},
    {DM_PAPERLENGTH, kPaperLengthAt, FeatureId::kCustomLength, nullptr, nullptr, &FieldRules::CheckLength, false},
    {DM_PAPERSIZE, kPaperSizeAt, FeatureId::kPaperSize, &FieldRules::IntoPaper, &FieldRules::OutPaper,
     &FieldRules::CheckPaper, true},
    {DM_DEFAULTSOURCE, kDefaultSourceAt, FeatureId::kPaperSource, &FieldRules::IntoSource, &FieldRules::OutSource,
     &FieldRules::CheckSource, false},
    {DM_COPIES, kCopiesAt, FeatureId::kCopies, &FieldRules::IntoCopies, &FieldRules::OutCopies,
     &FieldRules::CheckCopies, false},
    {DM_COLOR, kColorAt, FeatureId::kColourMode, &FieldRules::IntoColour, &FieldRules::OutColour,
     &FieldRules::CheckColour, false},
    {kIcmMethodFlag, kIcmMethodAt, FeatureId::kIcmMethod, &FieldRules::IntoIcmMethod, &FieldRules::OutIcm, nullptr,
     false},
    {kIcmIntentFlag, kIcmIntentAt, FeatureId::kIcmIntent, &FieldRules::IntoIcmIntent, nullptr, nullptr, false},
    {DM_DUPLEX, kDuplexAt, FeatureId::kDuplex, &FieldRules::IntoDuplex, &FieldRules::OutDuplex,
     &FieldRules::CheckDuplex, false},
    {DM_COLLATE, kCollateAt, FeatureId::kCollate, &FieldRules::IntoCollate, &FieldRules::OutCollate,
     &FieldRules::CheckCollate, true},
    {DM_FORMNAME, kFormNameAt, 0, nullptr, nullptr, &FieldRules::CheckFormName, false},
};

// Orientation: a rotated page stays rotated when the device lists the rotated value.
void GDevModeConverter::FieldRules::IntoOrientation(FieldWalk& w)
{
    int32_t degrees = 0;
    const int16_t wanted = w.Field(kOrientationAt);
    if (!Read(w.tree, FeatureId::kOrientation, degrees) ||
        (wanted != DMORIENT_PORTRAIT && wanted != DMORIENT_LANDSCAPE))
        return;
    const bool toPortrait = wanted == DMORIENT_PORTRAIT;
    const bool wasLandscape = degrees == 90 || degrees == 270;
    const bool rotated = degrees == 180 || degrees == 270 ||
                         (ReadOr(w.configuration, FeatureId::kRotatedOrientation, 0) != 0 &&
                          toPortrait == wasLandscape);
    const int32_t plain = toPortrait ? 0 : 90;
    const int32_t chosen = rotated ? plain + 180 : plain;
    bool listed = false, plainListed = false;
    ForEachMember(w.configuration ? w.configuration->FindById(FeatureId::kOrientationList) : nullptr,
                  [&](GObjectBase* member) {
                      if (member->IsKindOf(GValueAttribute::kClassId)) {
                          const int32_t offered = static_cast<GValueAttribute*>(member)->GetValue();
                          listed = listed || offered == chosen;
                          plainListed = plainListed || offered == plain;
                      }
                      return true;
                  });
    if (listed)
        Write(w.tree, FeatureId::kOrientation, chosen);
    else if (plainListed)
        Write(w.tree, FeatureId::kOrientation, plain);
}

void GDevModeConverter::FieldRules::OutOrientation(FieldWalk& w)
{
    int32_t value = 0;
    w.Clear(DM_ORIENTATION);
    if (!Read(w.tree, FeatureId::kOrientation, value) || !w.Inside(kOrientationAt, 2))
        return;
    w.fields |= DM_ORIENTATION;
    for (const auto& row : kOrientations)
        if (row.degrees == uint16_t(value))
            GDevModeConverter::PutWord(w.bytes, kOrientationAt, uint16_t(row.orientation));
}

uint32_t GDevModeConverter::FieldRules::CheckOrientation(FieldWalk& w)
{
    const int16_t orientation = w.Field(kOrientationAt);
    return orientation == DMORIENT_PORTRAIT || orientation == DMORIENT_LANDSCAPE ? 0 : DM_ORIENTATION;
}

// Quality: a DMRES_ code through the presets or the list, or a listed resolution; the
// bits follow an entry of that resolution unless one has the node's own.
void GDevModeConverter::FieldRules::IntoQuality(FieldWalk& w)
{
    GObjectBase* resolution = w.tree->FindById(FeatureId::kResolutionNode);
    const int16_t quality = w.Field(kPrintQualityAt);
    if (!resolution || (!(w.fields & DM_YRESOLUTION) && quality >= 0))
        return;
    const int32_t currentX = ReadOr(resolution, FeatureId::kXResolution, 0);
    const int32_t currentY = ReadOr(resolution, FeatureId::kYResolution, 0);
    uint16_t x = uint16_t(currentX), y = uint16_t(currentY), bits = 0;
    GDriverObject* driver = w.self.driver_;
    // A DMRES_ code the device does not know leaves x and y as they are.
    if (quality < 0) {
        if (w.self.MapPrintQuality(quality, x, y, bits, w.tree))
            Write(resolution, FeatureId::kResolutionBits, bits);
    } else if (quality > 0) {
        const uint16_t wantedY = uint16_t(w.Field(kYResolutionAt));
        if (driver && driver->IsResolutionListed(uint16_t(quality), wantedY))
            x = uint16_t(quality), y = wantedY;
        int32_t key = 0;
        int16_t found = 0;
        if (Read(resolution, FeatureId::kQualityKey, key) &&
            (w.self.ResolutionToQuality(w.tree, x, y, found) ||
             w.self.ResolutionToQuality(w.tree, uint16_t(currentX), uint16_t(currentY), found)))
            Write(resolution, FeatureId::kQualityKey, found);
    }
    Write(resolution, FeatureId::kXResolution, x);
    Write(resolution, FeatureId::kYResolution, y);
    const int32_t ownBits = ReadOr(resolution, FeatureId::kResolutionBits, 1);
    int32_t entryBits = -1;
    bool kept = false;
    ForEachMember(w.self.ResolutionList(), [&](GObjectBase* entry) {
        if (ReadOr(entry, FeatureId::kXResolution, -1) != x || ReadOr(entry, FeatureId::kYResolution, -1) != y)
            return true;
        const int32_t bitsOfEntry = ReadOr(entry, FeatureId::kResolutionBits, 1);
        kept = kept || bitsOfEntry == ownBits;
        if (entryBits < 0)
            entryBits = bitsOfEntry;
        return !kept;
    });
    if (!kept && entryBits >= 0)
        Write(resolution, FeatureId::kResolutionBits, entryBits);
}

void GDevModeConverter::FieldRules::OutQuality(FieldWalk& w)
{
    GObjectBase* resolution = w.tree ? w.tree->FindById(FeatureId::kResolutionNode) : nullptr;
    int32_t x = 0, y = 0, key = 0;
    if (!Read(resolution, FeatureId::kXResolution, x) || !Read(resolution, FeatureId::kYResolution, y)) {
        w.Clear(DM_PRINTQUALITY | DM_YRESOLUTION);
    } else if (!Read(resolution, FeatureId::kQualityKey, key) || key > 0) {
        w.Put(kPrintQualityAt, DM_PRINTQUALITY, x);
        w.Put(kYResolutionAt, DM_YRESOLUTION, y);
    } else {
        int16_t quality = 0;
        if (w.self.ResolutionToQuality(w.tree, uint16_t(x), uint16_t(y), quality)) {
            w.Put(kPrintQualityAt, DM_PRINTQUALITY, quality);
            w.Put(kYResolutionAt, 0, y);
            w.Clear(DM_YRESOLUTION);
        }
    }
}

// A DMRES_ code or key must be known, a resolution listed. No tree is given, so checking
// changes no setting.
uint32_t GDevModeConverter::FieldRules::CheckQuality(FieldWalk& w)
{
    const int16_t quality = w.Field(kPrintQualityAt);
    uint16_t mappedX = 0, mappedY = 0, bits = 0;
    GDriverObject* driver = w.self.driver_;
    if (quality < 1 || !(w.fields & DM_YRESOLUTION))
        return w.self.MapPrintQuality(quality, mappedX, mappedY, bits, nullptr)
                   ? 0
                   : w.fields & (DM_PRINTQUALITY | DM_YRESOLUTION);
    if (!driver || !driver->IsResolutionListed(uint16_t(quality), uint16_t(w.Field(kYResolutionAt))))
        return DM_PRINTQUALITY | DM_YRESOLUTION;
    return 0;
}

// Custom width and length within the device's smallest and largest custom sizes.
uint32_t GDevModeConverter::FieldRules::CheckWidth(FieldWalk& w)
{
    int32_t smallest[2], largest[2];
    w.self.CustomLimits(w.tree, smallest, largest);
    const int16_t width = w.Field(kPaperWidthAt);
    return width >= smallest[0] && width <= largest[0] ? 0 : DM_PAPERWIDTH;
}

uint32_t GDevModeConverter::FieldRules::CheckLength(FieldWalk& w)
{
    int32_t smallest[2], largest[2];
    w.self.CustomLimits(w.tree, smallest, largest);
    const int16_t length = w.Field(kPaperLengthAt);
    return length >= smallest[1] && length <= largest[1] ? 0 : DM_PAPERLENGTH;
}

// Paper size, and the custom size within the device's limits. A width and a length
// without a paper size ask for the custom size, as the platform documents it.
void GDevModeConverter::FieldRules::IntoPaper(FieldWalk& w)
{
    GDriverObject* driver = w.self.driver_;
    if (!driver)
        return;
    uint16_t paper = kCustomPaper;
    if (!w.self.AsksSizeByDimensions(w.bytes)) {
        if (!(w.fields & DM_PAPERSIZE))
            return;
        if (!driver->GetPoolKey(uint16_t(w.Field(kPaperSizeAt)), paper))
            paper = driver->DefaultPaperCode();
    }
    Write(w.tree, FeatureId::kPaperSize, paper);
    if (paper != kCustomPaper)
        return;
    int32_t smallest[2], largest[2];
    w.self.CustomLimits(w.tree, smallest, largest);
    int32_t width = 0, length = 0;
    bool hasWidth = (w.fields & DM_PAPERWIDTH) != 0, hasLength = (w.fields & DM_PAPERLENGTH) != 0;
    if (hasWidth)
        width = w.Field(kPaperWidthAt);
    if (hasLength)
        length = w.Field(kPaperLengthAt);
    if (!hasWidth || !hasLength) {
        GObjectBase* node = w.tree->FindById(FeatureId::kResolutionNode);
        const int32_t x = ReadOr(node, FeatureId::kXResolution, 0), y = ReadOr(node, FeatureId::kYResolution, 0);
        GMedia* media = x > 0 && y > 0 ? driver->FindMediaForPaper(paper, w.tree) : nullptr;
        if (media && !hasWidth)
            width = Tenths(media->GetPaperSize().x, x), hasWidth = true;
        if (media && !hasLength)
            length = Tenths(media->GetPaperSize().y, y), hasLength = true;
    }
    if (hasWidth && hasLength) {
        WriteOrAdd(w.tree, FeatureId::kCustomWidth, Clamp(width, smallest[0], largest[0]));
        WriteOrAdd(w.tree, FeatureId::kCustomLength, Clamp(length, smallest[1], largest[1]));
    }
}

// Paper size through the paper map, with the custom size's width and length, or the
// media's size in tenths of a millimetre for an application that asks for it.
void GDevModeConverter::FieldRules::OutPaper(FieldWalk& w)
{
    GDriverObject* driver = w.self.driver_;
    w.Clear(DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH);
    int32_t paper = 0, value = 0;
    uint16_t code = 0;
    const bool hasPaper = Read(w.tree, FeatureId::kPaperSize, paper);
    if (hasPaper && driver && driver->GetPoolValue(uint16_t(paper), code))
        w.Put(kPaperSizeAt, DM_PAPERSIZE, code);
    GObjectBase* resolution = w.tree ? w.tree->FindById(FeatureId::kResolutionNode) : nullptr;
    const int32_t x = ReadOr(resolution, FeatureId::kXResolution, 0);
    const int32_t y = ReadOr(resolution, FeatureId::kYResolution, 0);
    if (hasPaper && uint16_t(paper) == kCustomPaper) {
        if (Read(w.tree, FeatureId::kCustomWidth, value))
            w.Put(kPaperWidthAt, DM_PAPERWIDTH, value);
        if (Read(w.tree, FeatureId::kCustomLength, value))
            w.Put(kPaperLengthAt, DM_PAPERLENGTH, value);
    } else if (hasPaper && driver && (driver->GetAppFlags() & kReportPaperSize) && driver->GetMediaAttribute() &&
               x > 0 && y > 0) {
        if (GMedia* media = driver->FindMediaForPaper(uint16_t(paper), w.tree)) {
            w.Put(kPaperWidthAt, DM_PAPERWIDTH, Tenths(media->GetPaperSize().x, x));
            w.Put(kPaperLengthAt, DM_PAPERLENGTH, Tenths(media->GetPaperSize().y, y));
        }
    }
}

// Paper size: strictly, then loosely when the device allows it. A paper size of 0 with
// a width and a length asks for the custom size, whose limits the width and length rows
// judge.
uint32_t GDevModeConverter::FieldRules::CheckPaper(FieldWalk& w)
{
    GDriverObject* driver = w.self.driver_;
    if (w.self.AsksSizeByDimensions(w.bytes))
        return 0;
    const uint16_t paper = uint16_t(w.Field(kPaperSizeAt));
    const int16_t x = int16_t(w.self.GetXResolution()), y = int16_t(w.self.GetYResolution());
    const bool fits = driver && (driver->FindMedia(w.Angle(), x, y, 1, paper) ||
                                 (ReadOr(w.configuration, FeatureId::kLooseFormFit, 0) != 0 &&
                                  driver->FindMedia(w.Angle(), x, y, 0, paper)));
    return fits ? 0 : DM_PAPERSIZE;
}

// Source: an installed tray of the OS tray map, else the name of an extra source. A
// tray that is not installed is no bin an application finds, so the settings keep their
// source.
void GDevModeConverter::FieldRules::IntoSource(FieldWalk& w)
{
    GDriverObject* driver = w.self.driver_;
    const int16_t bin = w.Field(kDefaultSourceAt);
    GResourceMapping* mapping =
        driver && driver->GetSubObject3() ? driver->GetSubObject3()->FindByFirstCode(uint16_t(bin)) : nullptr;
    RWCString name;
    if (mapping) {
        if (driver->ContainsPoolCode(uint16_t(bin)))
            Write(w.tree, FeatureId::kPaperSource, mapping->GetSecondCode());
    } else if (w.self.SourceName(bin, name))
        if (GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(w.tree, FeatureId::kPaperSourceName))
            text->SetString(name);
}

// Source: the tray's code, or the code of the source name.
void GDevModeConverter::FieldRules::OutSource(FieldWalk& w)
{
    GDriverObject* driver = w.self.driver_;
    int32_t value = 0;
    int16_t bin = 0;
    w.Clear(DM_DEFAULTSOURCE);
    // While forms choose the tray, the form source is the one bin there is.
    if (driver && driver->FormTableCustomized()) {
        w.Put(kDefaultSourceAt, DM_DEFAULTSOURCE, DMBIN_FORMSOURCE);
        return;
    }
    GResourceMapping* mapping = nullptr;
    if (Read(w.tree, FeatureId::kPaperSource, value) && driver && driver->GetSubObject3() &&
        (mapping = driver->GetSubObject3()->FindBySecondCode(uint16_t(value))) != nullptr)
        w.Put(kDefaultSourceAt, DM_DEFAULTSOURCE, mapping->GetFirstCode());
    GStringAttribute* sourceName = GDriverObject::Feature<GStringAttribute>(w.tree, FeatureId::kPaperSourceName);
    if (sourceName && w.self.SourceFromName(w.tree, sourceName->GetString(), bin))
        w.Put(kDefaultSourceAt, DM_DEFAULTSOURCE, bin);
}

// Source: the form source only while forms are assigned to trays, a tray only while
// they are not.
uint32_t GDevModeConverter::FieldRules::CheckSource(FieldWalk& w)
{
    GDriverObject* driver = w.self.driver_;
    const int16_t bin = w.Field(kDefaultSourceAt);
    // The table the printer holds, as the bin query reads it: a DEVMODE that took the one
    // bin it was offered can print.
    const bool customized = driver && driver->FormTableCustomized();
    bool known = false;
    if (bin == DMBIN_FORMSOURCE)
        known = customized;
    else if (!customized && driver)
        known = driver->ContainsPoolCode(uint16_t(bin)) ||
                (driver->GetSubObject3() && driver->GetSubObject3()->FindByFirstCode(uint16_t(bin)));
    return known ? 0 : DM_DEFAULTSOURCE;
}

// Copies: at least 1, and no more than the device's copy range takes.
void GDevModeConverter::FieldRules::IntoCopies(FieldWalk& w)
{
    int32_t copies = w.Field(kCopiesAt) > 0 ? w.Field(kCopiesAt) : 1;
    if (GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(w.configuration, FeatureId::kCopiesRange))
        copies = Clamp(copies, range->GetMinimum() > 0 ? range->GetMinimum() : 1, range->GetMaximum());
    Write(w.tree, FeatureId::kCopies, copies);
}

void GDevModeConverter::FieldRules::OutCopies(FieldWalk& w)
{
    int32_t value = 0;
    w.Clear(DM_COPIES);
    if (Read(w.tree, FeatureId::kCopies, value))
        w.Put(kCopiesAt, DM_COPIES, value);
}

uint32_t GDevModeConverter::FieldRules::CheckCopies(FieldWalk& w)
{
    return InRange(w.configuration, FeatureId::kCopiesRange, w.Field(kCopiesAt)) ? 0 : DM_COPIES;
}

// Colour, by the device's colour mode.
void GDevModeConverter::FieldRules::IntoColour(FieldWalk& w)
{
    int32_t value = 0;
    if (ReadOr(w.tree, FeatureId::kColourEnable, 0) != 1 || !Read(w.tree, FeatureId::kColourMode, value))
        return;
    const int32_t deviceMode = w.self.driver_ ? w.self.driver_->GetCachedFeature339() : 0;
    const int16_t colour = w.Field(kColorAt);
    if (colour == DMCOLOR_MONOCHROME)
        Write(w.tree, FeatureId::kColourMode, deviceMode == 2 ? 3 : 1);
    else if (colour == DMCOLOR_COLOR)
        Write(w.tree, FeatureId::kColourMode, deviceMode == 1 ? 0 : deviceMode == 0 ? 1 : 3);
}

void GDevModeConverter::FieldRules::OutColour(FieldWalk& w)
{
    int32_t value = 0;
    const int32_t deviceMode = w.self.driver_ ? w.self.driver_->GetCachedFeature339() : 0;
    if (ReadOr(w.tree, FeatureId::kColourEnable, 0) == 0) {
        w.Put(kColorAt, DM_COLOR, DMCOLOR_COLOR);
    } else if (!Read(w.tree, FeatureId::kColourMode, value)) {
        w.Clear(DM_COLOR);
    } else {
        w.Put(kColorAt, DM_COLOR, value == 3 || value == 1 ? DMCOLOR_MONOCHROME : DMCOLOR_COLOR);
        if (deviceMode != 0 && deviceMode != 1)
            w.Clear(DM_COLOR);
    }
}

uint32_t GDevModeConverter::FieldRules::CheckColour(FieldWalk& w)
{
    const int16_t colour = w.Field(kColorAt);
    return colour == DMCOLOR_MONOCHROME || colour == DMCOLOR_COLOR ? 0 : DM_COLOR;
}

// ICM method and intent, taken only while the tree's ICM is on.
void GDevModeConverter::FieldRules::IntoIcmMethod(FieldWalk& w)
{
    if (ReadOr(w.tree, FeatureId::kIcmEnable, 0) != 1)
        return;
    const uint32_t method = GDevModeConverter::DoubleWord(w.bytes, kIcmMethodAt);
    Write(w.tree, FeatureId::kIcmMethod, method >= 2 && method <= 4 ? 1 : 0);
}

void GDevModeConverter::FieldRules::IntoIcmIntent(FieldWalk& w)
{
    if (ReadOr(w.tree, FeatureId::kIcmEnable, 0) != 1)
        return;
    const uint32_t intent = GDevModeConverter::DoubleWord(w.bytes, kIcmIntentAt);
    int32_t choice = 0;
    for (const auto& row : kIntents)
        if (row.intent == intent)
            choice = row.choice;
    Write(w.tree, FeatureId::kIcmIntent, choice);
}

// The method and the intent together: an intent the table lacks, or none, takes the
// method's flag away.
void GDevModeConverter::FieldRules::OutIcm(FieldWalk& w)
{
    int32_t icm = 0, value = 0;
    if (!Read(w.tree, FeatureId::kIcmEnable, icm)) {
        w.Clear(kIcmMethodFlag);
        return;
    }
    if (icm != 1) {
        w.PutLong(kIcmMethodAt, kIcmMethodFlag, 1);
        return;
    }
    const int32_t method = ReadOr(w.tree, FeatureId::kIcmMethod, 0);
    if (method == 0) {
        w.PutLong(kIcmMethodAt, kIcmMethodFlag, 1);
    } else if (method >= 1 && method <= 3) {
        w.PutLong(kIcmMethodAt, kIcmMethodFlag, 2);
        w.PutLong(kIcmIntentAt, 0, 2);
    } else {
        w.Clear(kIcmMethodFlag);
    }
    bool known = false;
    if (Read(w.tree, FeatureId::kIcmIntent, value)) {
        w.fields |= w.Inside(kIcmIntentAt, 4) ? kIcmIntentFlag : 0;
        for (const auto& row : kIntents)
            if (row.choice == value)
                w.PutLong(kIcmIntentAt, kIcmIntentFlag, row.intent), known = true;
    }
    if (!known)
        w.Clear(kIcmMethodFlag);
}

// Duplex, by the tree's orientation: vertical and horizontal name the edge relative to
// the page.
void GDevModeConverter::FieldRules::IntoDuplex(FieldWalk& w)
{
    const int32_t orientation = ReadOr(w.tree, FeatureId::kOrientation, 0);
    const bool landscape = orientation == 90 || orientation == 270;
    const int16_t duplex = w.BothSides() ? w.Field(kDuplexAt) : int16_t(DMDUP_SIMPLEX);
    int32_t result = 0;
    if (duplex == DMDUP_VERTICAL)
        result = landscape ? 1 : 2;
    else if (duplex == DMDUP_HORIZONTAL)
        result = landscape ? 2 : 1;
    Write(w.tree, FeatureId::kDuplex, result);
    if (result != 0)
        Write(w.tree, FeatureId::kDuplexMargins, ReadOr(w.tree, FeatureId::kDuplexMarginsWanted, 0) == 1 ? 1 : 0);
}

// Duplex by the orientation the DEVMODE was given.
void GDevModeConverter::FieldRules::OutDuplex(FieldWalk& w)
{
    int32_t value = 0;
    w.Clear(DM_DUPLEX);
    if (!Read(w.tree, FeatureId::kDuplex, value))
        return;
    // A printer that prints one side only has no duplex field to offer, as its
    // capabilities answer: the field says one side, unflagged.
    if (!w.BothSides()) {
        if (w.Inside(kDuplexAt, 2))
            GDevModeConverter::PutWord(w.bytes, kDuplexAt, DMDUP_SIMPLEX);
        return;
    }
    const bool landscape = w.Inside(kOrientationAt, 2) && w.Field(kOrientationAt) == DMORIENT_LANDSCAPE;
    int16_t duplex = DMDUP_SIMPLEX;
    for (const auto& row : kDuplexes)
        if (row.duplex == value)
            duplex = landscape ? row.landscape : row.portrait;
    w.Put(kDuplexAt, DM_DUPLEX, duplex);
}

// Duplex, by the object's own orientation, within the values the device accepts.
uint32_t GDevModeConverter::FieldRules::CheckDuplex(FieldWalk& w)
{
    const bool ownLandscape =
        int16_t(GDevModeConverter::Word(w.self.buffer_, kOrientationAt)) == DMORIENT_LANDSCAPE;
    const int16_t duplex = w.Field(kDuplexAt);
    int32_t value = -1;
    if (duplex == DMDUP_SIMPLEX)
        value = 0;
    else if (duplex == DMDUP_VERTICAL)
        value = ownLandscape ? 1 : 2;
    else if (duplex == DMDUP_HORIZONTAL)
        value = ownLandscape ? 2 : 1;
    return value >= 0 && InRange(w.configuration, FeatureId::kDuplexRange, value) ? 0 : DM_DUPLEX;
}

// Collation, read whether or not flagged, but never past the DEVMODE's size.
void GDevModeConverter::FieldRules::IntoCollate(FieldWalk& w)
{
    if (w.size < kCollateAt + 2)
        return;
    const int16_t collate = w.Field(kCollateAt);
    if (!(w.fields & DM_COLLATE) || collate == DMCOLLATE_FALSE)
        Write(w.tree, FeatureId::kCollate, 0);
    else if (collate == DMCOLLATE_TRUE)
        Write(w.tree, FeatureId::kCollate, ReadOr(w.configuration, FeatureId::kCollationAvailable, 0) != 0 ? 1 : 0);
}

void GDevModeConverter::FieldRules::OutCollate(FieldWalk& w)
{
    int32_t collate = 0;
    if (ReadOr(w.configuration, FeatureId::kCollationAvailable, 0) != 0 && Read(w.tree, FeatureId::kCollate, collate)) {
        w.Put(kCollateAt, DM_COLLATE, collate == 1 ? DMCOLLATE_TRUE : DMCOLLATE_FALSE);
    } else {
        w.Clear(DM_COLLATE);
        w.Put(kCollateAt, 0, DMCOLLATE_FALSE);
    }
}

// Collation and the form name exist only in the newer public parts.
uint32_t GDevModeConverter::FieldRules::CheckCollate(FieldWalk& w)
{
    const int16_t collate = w.Field(kCollateAt);
    const bool offered = ReadOr(w.configuration, FeatureId::kCollationAvailable, 0) != 0;
    return !w.Newer() || collate == 0 || (collate == DMCOLLATE_TRUE && offered) ? 0 : DM_COLLATE;
}

uint32_t GDevModeConverter::FieldRules::CheckFormName(FieldWalk& w)
{
    if (!w.Newer())
        return 0;
    // At most 32 characters, whether or not the DEVMODE ends its name.
    wchar_t name[kFormNameChars + 1] = {};
    std::memcpy(name, w.bytes + kFormNameAt, kFormNameChars * sizeof(wchar_t));
    uint32_t index = 0;
    const uint16_t x = w.self.GetXResolution(), y = w.self.GetYResolution();
    return w.self.IsFormSupported(name, index, x, y, w.Angle()) == 1 ? 0 : DM_FORMNAME;
}

int GDevModeConverter::ToDevMode(GObjectBase* tree, DEVMODEW* devMode)
{
    if (!devMode)
        return 1;
    uint8_t* bytes = reinterpret_cast<uint8_t*>(devMode);
    const uint16_t size = Word(bytes, kSizeAt);
    if (size < kFieldsAt + 4)
        return 1;
    // Each field is written only inside the DEVMODE's own size.
    FieldWalk walk{*this, bytes, size, DoubleWord(bytes, kFieldsAt), tree, Configuration()};
    for (const FieldRules::Row& row : FieldRules::kRows)
        if (row.out)
            row.out(walk);
    PutDoubleWord(bytes, kFieldsAt, walk.fields);
    return 1;
}

int GDevModeConverter::FromDevMode(const DEVMODEW* devMode, GObjectBase* tree)
{
    if (!devMode || !tree)
        return 1;
    // The walk only reads the DEVMODE.
    uint8_t* bytes = const_cast<uint8_t*>(reinterpret_cast<const uint8_t*>(devMode));
    FieldWalk walk{*this, bytes, Word(bytes, kSizeAt), PresentFields(bytes), tree, Configuration()};
    for (const FieldRules::Row& row : FieldRules::kRows)
        if (row.into && (row.intoAlways || (walk.fields & row.bits)))
            row.into(walk);
    return 1;
}

RWWString GDevModeConverter::GetDeviceName()
{
    wchar_t name[kDeviceNameChars + 1] = {};
    std::memcpy(name, buffer_ + kDeviceNameAt, kDeviceNameChars * sizeof(wchar_t));
    return RWWString(name);
}

RWCString GDevModeConverter::GetDriverName()
{
    const char* name = reinterpret_cast<const char*>(buffer_ + kDriverNameAt);
    return RWCString(name, strnlen(name, kDriverNameLength));
}

void GDevModeConverter::ForceMonochromeForApplication()
{
    if (!driver_ || !(driver_->GetAppFlags() & kMonochromeApplication) || Word(buffer_, kColorAt) != DMCOLOR_COLOR)
        return;
    const int32_t mode = driver_->GetCachedFeature339();
    if (mode == 0 || mode == 2) {
        PutWord(buffer_, kColorAt, DMCOLOR_MONOCHROME);
        PutDoubleWord(buffer_, kFieldsAt, DoubleWord(buffer_, kFieldsAt) | DM_COLOR);
    }
}

void GDevModeConverter::NormalizeCollate(DEVMODEW* devMode)
{
    uint8_t* bytes = reinterpret_cast<uint8_t*>(devMode);
    const uint16_t specVersion = devMode ? Word(bytes, kSpecVersionAt) : 0;
    if (!devMode || (specVersion != 0x400 && specVersion != 0x401) || Word(bytes, kSizeAt) <= 219)
        return;
    GObjectBase* configuration = driver_ ? driver_->GetPrinterConfiguration() : nullptr;
    GObjectBase* collation = configuration ? configuration->FindById(FeatureId::kCollationAvailable) : nullptr;
    const bool offered = collation && collation->IsKindOf(GValueAttribute::kClassId) &&
                         static_cast<GValueAttribute*>(collation)->GetValue() != 0;
    uint32_t fields = DoubleWord(bytes, kFieldsAt);
    if (!offered) {
        PutDoubleWord(bytes, kFieldsAt, fields & ~uint32_t(DM_COLLATE));
        PutWord(bytes, kCollateAt, 0);
        return;
    }
    if (!(fields & DM_COLLATE))
        PutDoubleWord(bytes, kFieldsAt, fields | DM_COLLATE), PutWord(bytes, kCollateAt, 1);
    else if (Word(bytes, kCollateAt) > 1)
        PutWord(bytes, kCollateAt, 1);
}

uint16_t GDevModeConverter::GetDriverVersion() { return kDriverVersion; }

int GDevModeConverter::CheckDevMode(void*, const DEVMODEW* devMode, int checkAll, uint32_t& mask)
{
    mask = 0;
    if (!devMode)
        return 0;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(devMode);
    const uint16_t size = Word(bytes, kSizeAt);
    if (size < kSmallestCheckedSize || Word(bytes, kSpecVersionAt) < kOldestCheckedSpec)
        return 0;
    // A check reads its field only when the field is flagged and present; after the
    // first fault only a check of everything goes on. The walk only reads the DEVMODE.
    FieldWalk walk{*this, const_cast<uint8_t*>(bytes), size, PresentFields(bytes), tree_, Configuration()};
    for (const FieldRules::Row& row : FieldRules::kRows)
        if (row.check && (walk.fields & row.bits) && !(mask && checkAll != 1))
            mask |= row.check(walk);
    return mask == 0 ? 1 : 0;
}

int GDevModeConverter::FollowInstalledState()
{
    if (!driver_ || !tree_ || bufferSize_ < kTotalSize)
        return 0;
    // Without a duplex unit or manual duplexing every job prints one side: the settings
    // say so too, for the extensions that read them.
    bool changed = false;
    int32_t sides = 0;
    if (!driver_->BothSidesPossible() && Read(tree_, FeatureId::kDuplex, sides) && sides != 0) {
        Write(tree_, FeatureId::kDuplex, 0);
        changed = true;
    }
    const DEVMODEW* own = reinterpret_cast<const DEVMODEW*>(buffer_);
    uint32_t refused = 0;
    CheckDevMode(nullptr, own, 1, refused);
    // Without two sides the duplex field is neither asked nor offered; with them it is
    // offered, as the device capabilities answer, though the DEVMODE was stored while the
    // printer had none.
    const bool twoSided = driver_->BothSidesPossible() != 0;
    const bool duplexFlagged = (DoubleWord(buffer_, kFieldsAt) & DM_DUPLEX) != 0;
    const bool twoSidedRefused =
        !twoSided && (int16_t(Word(buffer_, kDuplexAt)) != DMDUP_SIMPLEX || duplexFlagged);
    int32_t asked = 0;
    const bool twoSidedUnoffered = twoSided && !duplexFlagged && Read(tree_, FeatureId::kDuplex, asked);
    if (!changed && !refused && !twoSidedRefused && !twoSidedUnoffered)
        return 0;
    // Every refused field is written again from the settings; one the settings cannot
    // make printable either is no longer claimed.
    Pack(nullptr);
    CheckDevMode(nullptr, own, 1, refused);
    if (refused)
        PutDoubleWord(buffer_, kFieldsAt, DoubleWord(buffer_, kFieldsAt) & ~refused);
    return 1;
}

int GDevModeConverter::PublicEquals(const DEVMODEW* devMode)
{
    if (!devMode || Word(devMode, kSizeAt) != Word(buffer_, kSizeAt) ||
        Word(devMode, kDriverExtraAt) != Word(buffer_, kDriverExtraAt))
        return 0;
    const uint32_t size = uint32_t(Word(buffer_, kSizeAt)) + Word(buffer_, kDriverExtraAt);
    return size <= bufferSize_ && std::memcmp(devMode, buffer_, size) == 0;
}

int GDevModeConverter::IsEmfDatatype() { return int(emf_); }

void GDevModeConverter::SetDefaults()
{
    GObjectBase* configuration = Configuration();
    uint32_t fields = 0;
    // 1. Identity and sizes.
    WriteDeviceName(buffer_);
    PutWord(buffer_, kSpecVersionAt, GetSpecVersion());
    PutWord(buffer_, kDriverVersionAt, GetDriverVersion());
    PutWord(buffer_, kSizeAt, uint16_t(kPublicSize));
    PutWord(buffer_, kDriverExtraAt, uint16_t(kDriverExtra));
    // 2. Portrait Letter, not collated.
    PutWord(buffer_, kOrientationAt, DMORIENT_PORTRAIT);
    PutWord(buffer_, kPaperSizeAt, 0), PutWord(buffer_, kPaperLengthAt, 0), PutWord(buffer_, kPaperWidthAt, 0);
    wchar_t form[kFormNameChars] = L"Letter";
    std::memcpy(buffer_ + kFormNameAt, form, sizeof form);
    fields |= DM_FORMNAME;
    PutWord(buffer_, kCollateAt, DMCOLLATE_FALSE);
    // 4. Scale and the 32-bit display fields (the ICM fields follow in step 3).
    PutWord(buffer_, kScaleAt, 100);
    PutWord(buffer_, kTTOptionAt, 0);
    PutWord(buffer_, kLogPixelsAt, 0);
    for (size_t at = kBitsPerPelAt; at <= kPanningHeightAt; at += 4)
        PutDoubleWord(buffer_, at, 0);
    // 3. ICM from the device's defaults.
    if (ReadOr(configuration, FeatureId::kIcmEnable, 0) == 1) {
        const int32_t method = ReadOr(configuration, FeatureId::kIcmMethod, 0);
        PutDoubleWord(buffer_, kIcmMethodAt, method >= 0 && method <= 3 ? uint32_t(method + 1) : 1);
        uint32_t intent = 2;
        const int32_t choice = ReadOr(configuration, FeatureId::kIcmIntent, 0);
        for (const auto& row : kIntents)
            if (row.choice == choice)
                intent = row.intent;
        PutDoubleWord(buffer_, kIcmIntentAt, intent);
        fields |= kIcmMethodFlag | kIcmIntentFlag;
    }
    // 5. Colour.
    const int32_t deviceMode = driver_ ? driver_->GetCachedFeature339() : 0;
    if (ReadOr(configuration, FeatureId::kColourEnable, 0) != 0 && deviceMode != 1) {
        PutWord(buffer_, kColorAt, DMCOLOR_MONOCHROME);
    } else {
        PutWord(buffer_, kColorAt, DMCOLOR_COLOR);
        fields |= DM_COLOR;
    }
    // 6. Simplex.
    PutWord(buffer_, kDuplexAt, DMDUP_SIMPLEX);
    fields |= DM_DUPLEX;
    PutDoubleWord(buffer_, kFieldsAt, fields);
    // 7. The private header.
    WriteFreshHeader();
    // 8.
    ForceMonochromeForApplication();
}

int GDevModeConverter::MapPrintQuality(int16_t quality, uint16_t& x, uint16_t& y, uint16_t& bits, GObjectBase* tree)
{
    GObjectBase* configuration = Configuration();
    if (GObjectBase* presets = configuration ? configuration->FindById(FeatureId::kQualityPresets) : nullptr) {
        GObjectBase* chosen = nullptr;
        ForEachMember(presets, [&](GObjectBase* preset) {
            int32_t key = 0;
            if (Read(preset, FeatureId::kQualityKey, key) && key == quality &&
                Read(preset, FeatureId::kXResolution, key) && Read(preset, FeatureId::kYResolution, key))
                chosen = preset;
            return chosen == nullptr;
        });
        if (!chosen)
            return 0;
        x = uint16_t(ReadOr(chosen, FeatureId::kXResolution, 0));
        y = uint16_t(ReadOr(chosen, FeatureId::kYResolution, 0));
        bits = uint16_t(ReadOr(chosen, FeatureId::kResolutionBits, 1));
        if (tree)
            ForEachMember(chosen, [&](GObjectBase* member) {
                if (IsPresetSetting(member->GetId()))
                    CopyInto(tree, member);
                return true;
            });
        return 1;
    }
    // Without presets a DMRES_ code picks its place in the list, best first; a list too
    // short for it has no such quality.
    const uint32_t* index = nullptr;
    for (const auto& row : kResolutionQualities)
        if (row.quality == quality)
            index = &row.index;
    if (!index)
        return 0;
    GObjectBase* entry = nullptr;
    uint32_t at = 0;
    ForEachMember(ResolutionList(), [&](GObjectBase* member) {
        if (at++ == *index)
            entry = member;
        return entry == nullptr;
    });
    int32_t entryX = 0, entryY = 0;
    if (!entry || !Read(entry, FeatureId::kXResolution, entryX) || !Read(entry, FeatureId::kYResolution, entryY))
        return 0;
    x = uint16_t(entryX), y = uint16_t(entryY);
    bits = uint16_t(ReadOr(entry, FeatureId::kResolutionBits, 1));
    return 1;
}

int GDevModeConverter::ResolutionToQuality(GObjectBase* tree, uint16_t x, uint16_t y, int16_t& quality)
{
    GObjectBase* configuration = Configuration();
    auto sameResolution = [&](GObjectBase* entry) {
        return ReadOr(entry, FeatureId::kXResolution, -1) == int16_t(x) &&
               ReadOr(entry, FeatureId::kYResolution, -1) == int16_t(y);
    };
    int found = 0;
    if (GObjectBase* presets = configuration ? configuration->FindById(FeatureId::kQualityPresets) : nullptr) {
        ForEachMember(presets, [&](GObjectBase* preset) {
            int32_t key = 0;
            if (!sameResolution(preset) || !Read(preset, FeatureId::kQualityKey, key))
                return true;
            bool same = true;
            ForEachMember(preset, [&](GObjectBase* member) {
                same = !IsPresetSetting(member->GetId()) || TreeHolds(tree, member);
                return same;
            });
            if (same)
                quality = int16_t(key), found = 1;
            return !found;
        });
        return found;
    }
    ForEachMember(ResolutionList(), [&](GObjectBase* entry) {
        int32_t key = 0;
        if (sameResolution(entry) && Read(entry, FeatureId::kQualityKey, key))
            quality = int16_t(key), found = 1;
        return !found;
    });
    return found;
}

int GDevModeConverter::IsFormSupported(const wchar_t*, uint32_t&, uint16_t, uint16_t, uint32_t) { return 0; }
int GDevModeConverter::CheckPair(uint32_t, uint32_t) { return 0; }

int GDevModeConverter::SourceName(int16_t binCode, RWCString& name)
{
    if (!driver_)
        return 0;
    SourceSearch search{uint16_t(binCode), RWCString()};
    int32_t counter = 0;
    if (driver_->BuildPool(ExtraSourceName, &search, 1, counter) == 1 ||
        (counter = 0, driver_->ForEachPoolEntry(TraySourceName, &search, 1, counter) == 1))
        return name = search.name, 1;
    return 0;
}

int GDevModeConverter::SourceFromName(GObjectBase* tree, const RWCString& name, int16_t& binCode)
{
    if (!driver_ || !driver_->GetSubObject3())
        return 0;
    GObjectBase* configuration = Configuration();
    for (GObjectBase* holder : {tree, configuration}) {
        GTray* tray = TrayNamed(holder ? holder->FindById(FeatureId::kTrayList) : nullptr, name);
        GResourceMapping* mapping = tray ? driver_->GetSubObject3()->FindBySecondCode(tray->GetTrayId()) : nullptr;
        if (mapping)
            return binCode = int16_t(mapping->GetFirstCode()), 1;
    }
    return 0;
}
