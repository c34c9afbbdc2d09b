// What the producer reads from the job's settings, the printer configuration and the
// device's capabilities: the writer's configuration, the PostScript and raster modes,
// page scaling and flags C and D when it is configured; the media, the letterhead rule,
// the colour rules and the page scale when it builds job and page states; and the media
// look-ups that the later stages use.
#include "pipeline/GCommandProducer.h"

#include "graphics/GTransformAttribute.h"
#include "model/GCapabilities.h"
#include "model/GChromafitAttribute.h"
#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GState.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "pipeline/SettingValues.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GPeripheral.h"

#include <cstring>
#include <memory>

namespace {

using namespace FeatureId;
using namespace SettingValues;

constexpr RWClassID kPclXlWriterClass = 767;
// The pass-through flag at its fullest lets the PCL XL writer's language level up to this.
constexpr uint16_t kPassThroughLanguageLevel = 3;
// The custom paper sizes' codes.
constexpr uint16_t kFirstCustomCode = 16384;
constexpr uint16_t kLastCustomCode = 17383;
constexpr uint32_t kDefaultUnits = 600;

// Adds the media under the id; the media added, which the state owns now. Another
// setting may already hold the id (the booklet's sheet order shares 281 with the cover
// media), so the media is not looked up again by it.
GMedia* AddMedia(GState& state, GMedia* media, long id)
{
    if (!media)
        return nullptr;
    media->SetId(id);
    state.Add(media);
    return media;
}

// The PostScript writer's first mode from setting 570: each value's mode and flag A;
// a mode of kFromAttribute is 1 when the driver object's attribute 958 is not 0, else 0.
constexpr uint16_t kFromAttribute = 0xFFFF;
const struct {
    uint16_t value;
    uint16_t mode;
    uint32_t flagA;
} kPostScriptModesA[] = {
    {0, kFromAttribute, 0},
    {1, 1, 1},
    {2, 2, 0},
};
constexpr uint16_t kPostScriptModeADefault = 2;

// The colour-adjustment classes in the order they are looked for, and the colour kind
// each gives; kind 2 carries the render choice at (3, 2).
const struct {
    RWClassID classId;
    int kind;
} kColourKinds[] = {
    {GChromafitAttribute::kClassId, 0},
    {GChromafitEnhancedAttribute::kClassId, 1},
    {GChromafitEnhancedAttributeVer2::kClassId, 2},
};
// The render choice values that give render mode 0 (with the condition on 1304 where
// the row says so); every other value gives 4.
const struct {
    uint8_t choice;
    bool needsChoice1304;
} kRenderModeZero[] = {
    {93, false},
    {94, true},
};
constexpr uint16_t kRenderModeOther = 4;
// Setting 910's value that selects the table-driven colour conversion of mode 1.
constexpr uint16_t kTableConversionChoice = 22;

const char* const kLetterheadTypes[] = {"Letterhead", "Preprinted"};

} // namespace

GObjectBase* GCommandProducer::JobSetting(long id)
{
    GObjectBase* settings = JobSettings();
    return settings ? settings->FindById(id) : nullptr;
}

bool GCommandProducer::HasCapability(long capability)
{
    GConfiguration* configuration = GetPrinterConfiguration();
    GObjectBase* set = configuration ? configuration->FindById(kCapabilitySet) : nullptr;
    return Feature<GCapabilities>(set, capability) != nullptr;
}

bool GCommandProducer::CapabilityHasBit(long capability, uint32_t bit)
{
    GConfiguration* configuration = GetPrinterConfiguration();
    GObjectBase* set = configuration ? configuration->FindById(kCapabilitySet) : nullptr;
    const GCapabilities* found = Feature<GCapabilities>(set, capability);
    return found && found->Test(bit);
}

// A PCL XL writer's language level and mode follow the pass-through flag; any other
// writer takes pass-through bytes unless the device refuses them.
void GCommandProducer::ConfigureWriter(GObjectBase* writer)
{
    if (!writer)
        return;
    if (!writer->IsKindOf(kPclXlWriterClass)) {
        passThrough_ = !CapabilityHasBit(kPassThroughCapability, 0);
        return;
    }
    GConfiguration* configuration = GetPrinterConfiguration();
    GValueAttribute* level = Value(configuration, kWriterLanguageLevel);
    if (passThrough_ && level && level->GetValue() <= kPassThroughLanguageLevel) {
        level->SetValue(kPassThroughLanguageLevel);
        SetExisting(configuration, kWriterLanguageMode, 0);
        if (GStringAttribute* name = Feature<GStringAttribute>(configuration, kWriterLanguageName))
            name->SetString("PCL XL");
    } else {
        SetExisting(configuration, kWriterLanguageLevel, 2);
        SetExisting(configuration, kWriterLanguageMode, 1);
    }
}

void GCommandProducer::ConfigurePostScriptModes()
{
    mode570_ = 65535;
    mode571_ = 0;
    if (!postScript_)
        return;
    flagA_ = 0;
    mode570_ = kPostScriptModeADefault;
    if (const GValueAttribute* a = Value(JobSettings(), kPostScriptModeA)) {
        for (const auto& row : kPostScriptModesA) {
            if (row.value != a->GetValue())
                continue;
            mode570_ = row.mode == kFromAttribute ? (GetAttributeValue() != 0 ? 1 : 0) : row.mode;
            flagA_ = row.flagA;
        }
    }
    if (const GValueAttribute* b = Value(JobSettings(), kPostScriptModeB))
        if (b->GetValue() <= 2)
            mode571_ = b->GetValue();
}

void GCommandProducer::ConfigureRasterMode()
{
    const uint32_t flags = GetAppFlags();
    if (const GValueAttribute* chosen = Value(JobSettings(), kRasterModeChoice))
        rasterMode_ = chosen->GetValue() == 3 ? 3 : chosen->GetValue() == 2 ? 2 : 1;
    else
        rasterMode_ = (flags & kFlagsRasterMode3) ? 3 : (flags & kFlagsRasterMode2) ? 2 : 1;
    if (rasterMode_ != 3 && (((flags & kFlagsForceRaster1) && !CapabilityHasBit(kRasterCapability, 1)) ||
                             ((flags & kFlagsForceRaster2) && !CapabilityHasBit(kRasterCapability, 2))))
        rasterMode_ = 3;
}

// The device may refuse page scaling in a raster mode; otherwise the chain decides (its
// readiness answer is the question whether the page may be scaled).
void GCommandProducer::ConfigurePageScaling()
{
    const bool refused = HasCapability(kScalingCapability) &&
                         CapabilityHasBit(kScalingCapability, rasterMode_ == 1 ? 1 : 4);
    GPeripheral* head = GetChainHead();
    scalingEnabled_ = !refused && head && head->IsReady();
}

// D needs C only when the flag word has bit 0x800000; C stays only beside D.
void GCommandProducer::ConfigureFlagsCAndD(GObjectBase* writer)
{
    const uint32_t flags = GetAppFlags();
    flagC_ = CapabilityHasBit(kFlagCCapability, 1);
    flagD_ = CapabilityHasBit(kFlagDCapability, 9) && !UsesRasterMode(0) &&
             (!(flags & kFlagsFlagDNeedsC) || flagC_);
    if (!flagD_)
        flagC_ = 0;
    if (writer && writer->IsKindOf(kPclXlWriterClass) && (flags & kFlagsNoWriterFlags))
        flagC_ = flagD_ = 0;
}

void GCommandProducer::AddJobPaperMedia(GState& state)
{
    GValueAttribute* choice = Value(&state, kJobPaperChoice);
    if (!choice || choice->GetValue() != 1)
        return;
    std::unique_ptr<GObjectBase> code(state.RemoveById(kJobPaperCode));
    GValueAttribute* paper =
        code && code->IsKindOf(GValueAttribute::kClassId) ? static_cast<GValueAttribute*>(code.get()) : nullptr;
    if (!paper || !AddMedia(state, FindMediaForCode(paper->GetValue()), kJobPaperMedia))
        choice->SetValue(0);
}

// The job's booklet or cover choice (279) joins the job state, where the filters read
// it, with the media of its paper; a choice whose media is missing, or that a PostScript
// writer spools itself (flag E), is turned off there.
void GCommandProducer::AddCoverMedia(GState& state)
{
    if (!Value(&state, kFrontCoverMode))
        CopySetting(JobSettings(), kFrontCoverMode, &state);
    GValueAttribute* cover = Value(&state, kFrontCoverMode);
    if (!cover || (cover->GetValue() != 1 && cover->GetValue() != 2))
        return;
    std::unique_ptr<GObjectBase> removed(state.RemoveById(kCoverPaperCode));
    const GValueAttribute* paper = removed && removed->IsKindOf(GValueAttribute::kClassId)
                                       ? static_cast<GValueAttribute*>(removed.get())
                                       : Value(JobSettings(), kCoverPaperCode);
    GMedia* media = paper && !flagE_ ? FindMediaForCode(paper->GetValue()) : nullptr;
    if (!AddMedia(state, media, kCoverMedia))
        cover->SetValue(0);
}

void GCommandProducer::ApplyColourRules(GState& state)
{
    for (const auto& row : kColourKinds) {
        GObjectBase* found = JobSettings() ? JobSettings()->FindByClassId(row.classId) : nullptr;
        if (!found)
            continue;
        if (row.kind == 2) {
            uint8_t choice = 0;
            uint16_t mode = kRenderModeOther;
            if (static_cast<GChromafitBase*>(found)->GetSetting(3, 2, choice))
                for (const auto& zero : kRenderModeZero)
                    if (zero.choice == choice &&
                        (!zero.needsChoice1304 || ValueIs(JobSettings(), kColourRenderChoice, 1)))
                        mode = 0;
            SetValue(&state, kColourRenderMode, mode);
        }
        break;
    }
    if (const GValueAttribute* conversion = Value(JobSettings(), kColourConversionChoice)) {
        state.Add(conversion->DeepCopy());
        SetColorMode(conversion->GetValue() == kTableConversionChoice ? 1 : 0);
    }
    CopySetting(JobSettings(), kColourConversionPart, &state);
}

void GCommandProducer::LookUpContext(GObjectBase* holder, uint32_t& orientation, uint32_t& xResolution,
                                     uint32_t& yResolution)
{
    GObjectBase* settings = JobSettings();
    const GValueAttribute* angle = Value(holder, kOrientation);
    if (!angle)
        angle = Value(settings, kOrientation);
    orientation = angle ? NormalizeDegrees(int16_t(angle->GetValue())) : 0;
    GObjectBase* resolution = holder ? holder->FindById(kResolutionNode) : nullptr;
    if (!resolution)
        resolution = settings ? settings->FindById(kResolutionNode) : nullptr;
    const GValueAttribute* x = Value(resolution, kXResolution);
    const GValueAttribute* y = Value(resolution, kYResolution);
    xResolution = x ? x->GetValue() : kDefaultUnits;
    yResolution = y ? y->GetValue() : kDefaultUnits;
}

GMedia* GCommandProducer::FindMediaForCode(uint16_t code)
{
    uint32_t orientation = 0, x = kDefaultUnits, y = kDefaultUnits;
    LookUpContext(nullptr, orientation, x, y);
    return FindMediaForCode(code, orientation, x, y);
}

GMedia* GCommandProducer::FindMediaForCode(uint16_t code, uint32_t orientation, uint32_t xResolution,
                                           uint32_t yResolution)
{
    GConfiguration* configuration = GetPrinterConfiguration();
    GMedia* media = nullptr;
    if (code >= kFirstCustomCode && code <= kLastCustomCode) {
        GObjectBase* sizes = JobSetting(kCustomSizeList);
        GObjectIterator* it = sizes ? sizes->CreateIterator() : nullptr;
        while (it && !media && it->Next()) {
            GObjectBase* member = it->Current();
            if (member && member->IsKindOf(GCustomMediaSize::kClassId) &&
                static_cast<GCustomMediaSize*>(member)->GetId() == code)
                media = BuildCustomMedia(*static_cast<GCustomMediaSize*>(member), configuration,
                                         uint16_t(xResolution), uint16_t(yResolution), orientation);
        }
        delete it;
    } else {
        GMediaPool* pool = Feature<GMediaPool>(configuration, kMediaPool);
        GMedia* found =
            pool ? pool->FindMedia(code, orientation, uint16_t(xResolution), uint16_t(yResolution)) : nullptr;
        media = found ? found->Copy() : nullptr;
    }
    if (media && ValueIs(JobSettings(), kMediaRebuild, 1))
        media = RebuildMedia(media);
    return media;
}

GMedia* GCommandProducer::RebuildMedia(GMedia* media)
{
    if (!media)
        return nullptr;
    const long id = media->GetId();
    GMedia* rebuilt = new GMedia(media->GetName().Data(), media->GetPaperSize(), media->GetImageableExtent(),
                                 media->GetImageableOrigin(), media->GetOrientation(), media->GetMediaId(),
                                 media->GetUnitsX(), media->GetUnitsY(), id, media->GetExtraWord(),
                                 media->GetFirstString().Data(), media->GetSecondString().Data());
    GObjectBase::Drop(media);
    return rebuilt;
}

GMedia* GCommandProducer::PlaceMedia(GState& state)
{
    GMedia* media = Feature<GMedia>(&state, kDocumentMedia);
    if (!media) {
        const GValueAttribute* paper = Value(&state, kPaperSize);
        if (!paper)
            return nullptr;
        uint32_t orientation = 0, x = kDefaultUnits, y = kDefaultUnits;
        LookUpContext(&state, orientation, x, y);
        media = AddMedia(state, FindMediaForCode(paper->GetValue(), orientation, x, y), kDocumentMedia);
        if (!media)
            return nullptr;
    }
    GObjectBase* transform = state.FindByClassId(GTransformAttribute::kClassId);
    if (!transform) {
        state.Add(new GTransformAttribute(0));
        transform = state.FindByClassId(GTransformAttribute::kClassId);
    }
    if (transform) {
        const GMediaPair origin = media->GetImageableOrigin();
        static_cast<GTransformAttribute*>(transform)->SetOrigin(int16_t(origin.x), int16_t(origin.y));
    }
    if (const GStringAttribute* type = Feature<GStringAttribute>(JobSettings(), kMediaName))
        media->SetSecondString(type->GetString());
    return media;
}

void GCommandProducer::ApplyLetterhead(GState& page)
{
    if (!ValueIs(SubState(kDeviceSettings), kLetterheadRule, 1))
        return;
    GMedia* media = Feature<GMedia>(&page, kDocumentMedia);
    if (!media)
        return;
    const RWCString type = media->GetSecondString();
    bool letterhead = false;
    for (const char* name : kLetterheadTypes)
        letterhead = letterhead || (type.Length() == std::strlen(name) && std::strcmp(type.Data(), name) == 0);
    if (!letterhead)
        return;
    const GValueAttribute* paper = Value(&page, kPaperSize);
    GMedia* device = FindMediaForPaper(paper ? paper->GetValue() : media->GetMediaId(), &page);
    if (!device)
        return;
    GMedia* replacement = device->Copy();
    replacement->SetSecondString(type);
    AddMedia(page, replacement, kDocumentMedia);
}

// The scale question's arguments: the job state built for scaling once per job, the
// page state, the page mark as the page number and the in-out kind word (0 going in).
void GCommandProducer::TakePageScale(GState& page)
{
    GPeripheral* head = GetChainHead();
    if (!head)
        return;
    if (!scalingJobState_)
        scalingJobState_.Set(BuildJobState());
    uint32_t kind = 0;
    void* pageNumber = reinterpret_cast<void*>(uintptr_t(pageMark_));
    const std::pair<float, float> scale = head->GetScale(scalingJobState_.Get(), &page, pageNumber, &kind);
    scaleX_ = scale.first;
    scaleY_ = scale.second;
    scaleMark_ = pageMark_;
    scaledPage_ = !(scale.first == 1.0f && scale.second == 1.0f) && !(scale.first == 0.0f && scale.second == 0.0f);
}

int GCommandProducer::ResolveMedia(GMedia& media, uint16_t mediaId)
{
    if (media.GetMediaId() == mediaId)
        return 0;
    std::unique_ptr<GMedia> found(
        FindMediaForCode(mediaId, media.GetOrientation(), media.GetUnitsX(), media.GetUnitsY()));
    if (!found)
        return 0;
    const long id = media.GetId();
    media = *found;
    media.SetId(id);
    return 1;
}

int GCommandProducer::CopyDeviceListToJob(GObjectBase* jobState)
{
    GObjectBase* map = jobState ? jobState->FindById(kDeviceListMap) : nullptr;
    const GValueAttribute* selector = Value(SubState(kDeviceSettings), kDeviceListSelector);
    if (!map || !map->IsKindOf(MAssociationList::kClassId) || !selector)
        return 0;
    // Keys are the selector's values: a value attribute of any id with the same value.
    const GValueAttribute* listId = nullptr;
    std::unique_ptr<GObjectIterator> it(map->CreateIterator());
    while (it && !listId && it->Next()) {
        const GObjectBase* member = it->Current();
        if (!member || !member->IsKindOf(MPersistentAssociation::kClassId))
            continue;
        const auto* association = static_cast<const MPersistentAssociation*>(member);
        const GObjectBase* key = association->GetKey();
        const GObjectBase* value = association->GetValue();
        if (key && key->IsKindOf(GValueAttribute::kClassId) && value && value->IsKindOf(GValueAttribute::kClassId) &&
            static_cast<const GValueAttribute*>(key)->GetValue() == selector->GetValue())
            listId = static_cast<const GValueAttribute*>(value);
    }
    GObjectBase* source = listId ? jobState->FindById(listId->GetValue()) : nullptr;
    GObjectBase* target = jobState->FindById(kJobDeviceList);
    if (!source || !target || source == target || listId->GetValue() == kDeviceListMap)
        return 0;
    target->RemoveAll();
    std::unique_ptr<GObjectIterator> members(source->CreateIterator());
    while (members && members->Next())
        if (const GObjectBase* member = members->Current())
            target->Add(member->DeepCopy());
    return 1;
}
