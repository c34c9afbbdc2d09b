#include "settings/translators/PrintQualityTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/translators/TTAsBitmapSettingTranslator.h"
#include "settings/translators/TextAsBlackTranslator.h"

#include <functional>
#include <vector>

namespace {

const uint32_t kIdPath[] = {362, 901};
const TranslatorOption kOptions[] = {
    {65534, L"Fast"}, {65535, L"FastNormal"}, {0, L"Normal"}, {1, L"Best"}, {99, L"Custom"},
};
const wchar_t kBest[] = L"Best";
const wchar_t kNormal[] = L"Normal";
const wchar_t kCustom[] = L"Custom";

// Walks the preset map as both directions do: every pair whose two sides exist, the colour
// rows only when the preset allows them, the resolution member by member. The visitor
// answers false to stop the walk.
void WalkPreset(GObjectBase* preset, GObjectBase* settings,
                const std::function<bool(GValueAttribute* source, GValueAttribute* destination)>& visit)
{
    GValueAttribute* colour = GDriverObject::Feature<GValueAttribute>(preset, FeatureId::kPresetColourRows);
    const bool colourRows = colour && colour->GetValue() != 0;
    for (const QualityPresetRow& row : PrintQualityTranslator::kPresetMap) {
        if (row.colourRow && !colourRows)
            continue;
        GObjectBase* parent = GDriverObject::Feature<GAttributeComposite>(settings, row.destinationParent);
        if (row.composite) {
            GAttributeComposite* from = GDriverObject::Feature<GAttributeComposite>(preset, row.source);
            GAttributeComposite* to = GDriverObject::Feature<GAttributeComposite>(parent, row.destination);
            if (!from || !to)
                continue;
            for (const auto& pair : PrintQualityTranslator::kResolutionPairs) {
                GValueAttribute* source = GDriverObject::Feature<GValueAttribute>(from, pair[0]);
                GValueAttribute* destination = GDriverObject::Feature<GValueAttribute>(to, pair[1]);
                if (source && destination && !visit(source, destination))
                    return;
            }
            continue;
        }
        GValueAttribute* source = GDriverObject::Feature<GValueAttribute>(preset, row.source);
        GValueAttribute* destination = GDriverObject::Feature<GValueAttribute>(parent, row.destination);
        if (source && destination && !visit(source, destination))
            return;
    }
}

} // namespace

const TranslatorDescription PrintQualityTranslator::kDescription = {
    L"printing/PrintQuality", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNew, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

const QualityPresetRow PrintQualityTranslator::kPresetMap[17] = {
    /*  1 */ {218, 362, 250, false, false},
    /*  2 */ {221, 362, 277, false, false},
    /*  3 */ {443, 362, 442, false, false},
    /*  4 */ {219, 362, 251, false, false},
    /*  5 */ {242, 364, 255, false, false},
    /*  6 */ {220, 364, 293, false, false},
    /*  7 */ {589, 364, 585, false, false},
    /*  8 */ {586, 364, 582, true, false},
    /*  9 */ {587, 364, 583, true, false},
    /* 10 */ {588, 364, 584, true, false},
    /* 11 */ {402, 362, 245, false, false},
    /* 12 */ {409, 362, 405, false, false},
    /* 13 */ {705, 362, 703, false, false},
    /* 14 */ {404, 364, 900, false, false},
    /* 15 */ {222, 362, 249, false, true},
    /* 16 */ {913, 364, 910, false, false},
    /* 17 */ {912, 362, 911, false, false},
};

const uint16_t PrintQualityTranslator::kResolutionPairs[3][2] = {{223, 323}, {224, 324}, {225, 325}};

int32_t PrintQualityTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    settings_ = settings;
    changes_ = changes;
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kJobSettings);
    if (!job)
        return 0;
    if (GDriverObject::Feature<GValueAttribute>(job, FeatureId::kMediaAdjust))
        return ImportEnumerated(kDescription, settings, changes);
    const int32_t preset = ImportPreset();
    // The configuration's own values of these two override the preset's.
    const int32_t textAsBlack = TextAsBlackTranslator(Library()).ToAttributes(settings, changes);
    const int32_t ttAsBitmap = TTAsBitmapSettingTranslator(Library()).ToAttributes(settings, changes);
    return (preset || textAsBlack || ttAsBitmap) ? 1 : 0;
}

int32_t PrintQualityTranslator::ImportPreset()
{
    GConfiguration* configuration = driver_ ? driver_->GetPrinterConfiguration() : nullptr;
    std::vector<wchar_t> buffer(kDescription.bufferChars, wchar_t(0x2020));
    buffer.back() = 0;
    // The path goes to the library directly; only an answer of exactly 1 is a keyword.
    if (Library().Get(kDescription.featurePath, buffer.data(), buffer.size()) != 1)
        return 0;
    uint16_t presetId = 0;
    if (GDMCLibrary::KeywordEquals(buffer.data(), kBest))
        presetId = FeatureId::kBestPreset;
    else if (GDMCLibrary::KeywordEquals(buffer.data(), kNormal))
        presetId = FeatureId::kNormalPreset;
    else
        return 0;
    GObjectBase* preset = configuration ? configuration->FindById(presetId) : nullptr;
    if (!preset || !GDriverObject::Feature<GAttributeComposite>(settings_, FeatureId::kDocumentSettings) ||
        !GDriverObject::Feature<GAttributeComposite>(settings_, FeatureId::kJobSettings) || !changes_)
        return 1;
    GAttributeComposite* changes = changes_;
    WalkPreset(preset, settings_, [changes](GValueAttribute* source, GValueAttribute* destination) {
        destination->SetValue(source->GetValue());
        changes->Add(destination->Copy());
        return true;
    });
    return 1;
}

bool PrintQualityTranslator::SettingsEqualPreset(uint16_t presetId)
{
    GConfiguration* configuration = driver_ ? driver_->GetPrinterConfiguration() : nullptr;
    GObjectBase* preset = configuration ? configuration->FindById(presetId) : nullptr;
    if (!preset || !GDriverObject::Feature<GAttributeComposite>(settings_, FeatureId::kDocumentSettings) ||
        !GDriverObject::Feature<GAttributeComposite>(settings_, FeatureId::kJobSettings))
        return true;
    bool equal = true;
    WalkPreset(preset, settings_, [&equal](GValueAttribute* source, GValueAttribute* destination) {
        equal = source->GetValue() == destination->GetValue();
        return equal;
    });
    return equal;
}

int32_t PrintQualityTranslator::FromAttributes(GObjectBase* settings)
{
    settings_ = settings;
    changes_ = nullptr;
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kJobSettings);
    if (!job)
        return 0;
    if (GDriverObject::Feature<GValueAttribute>(job, FeatureId::kMediaAdjust))
        return ExportEnumerated(kDescription, settings);
    const wchar_t* keyword = SettingsEqualPreset(FeatureId::kBestPreset)     ? kBest
                             : SettingsEqualPreset(FeatureId::kNormalPreset) ? kNormal
                                                                               : kCustom;
    Library().SetExport(kDescription.featurePath, keyword);
    return 1;
}
