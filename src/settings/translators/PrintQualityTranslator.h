// The print quality ("printing/PrintQuality"). A settings tree with a quality attribute of
// its own (362 / 901) takes the keyword as a value. Otherwise the keyword names a preset of
// the printer configuration ("Best" 326, "Normal" 327) whose members are copied into the
// settings they stand for; the export names the preset the settings equal, or "Custom".
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class GAttributeComposite;
class GDriverObject;

// One row of the preset map: a preset member and the settings attribute it sets (found
// under 362 or 364 of the root).
struct QualityPresetRow {
    uint16_t source;
    uint16_t destinationParent;
    uint16_t destination;
    // Taken only when the preset's member 593 is non-zero.
    bool colourRow;
    // A composite whose members pair up (row 15: the resolution).
    bool composite;
};

class PrintQualityTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;
    static const QualityPresetRow kPresetMap[17];
    // The resolution preset's members and the settings they set.
    static const uint16_t kResolutionPairs[3][2];

    PrintQualityTranslator(GDMCLibrary& library, GDriverObject* driver) : FeatureTranslator(library), driver_(driver) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

private:
    int32_t ImportPreset();
    bool SettingsEqualPreset(uint16_t presetId);

    GDriverObject* driver_;
    // Held for one call only.
    GObjectBase* settings_ = nullptr;
    GAttributeComposite* changes_ = nullptr;
};
