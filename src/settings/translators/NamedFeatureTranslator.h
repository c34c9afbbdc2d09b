// An accessory feature named by its key ("QZPostInsertionKit", "QZPunchUnitType"). The
// device settings hold it either as a value (installed or not) or as the accessory's name;
// an installed value exports the accessory names the printer configuration lists for it.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class GDriverObject;

struct NamedFeature {
    uint32_t attributeId;
    const wchar_t* key;
    const wchar_t* featurePath;
};

class NamedFeatureTranslator : public FeatureTranslator {
public:
    static const NamedFeature kFeatures[2];
    // The narrow buffers of the accessory names: texts are cut at one byte less.
    static constexpr size_t kNarrowBytes = 128;
    static constexpr uint16_t kWideChars = 128;

    // A key outside the table leaves the translator without a feature: both directions answer 0.
    NamedFeatureTranslator(GDMCLibrary& library, const wchar_t* key, GDriverObject* driver);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    uint32_t AttributeId() const { return attributeId_; }
    const wchar_t* FeaturePath() const { return featurePath_; }

private:
    int32_t ExportNarrow(const char* text, size_t length, bool noneWhenEmpty);

    GDriverObject* driver_;
    uint32_t attributeId_ = 0;
    const wchar_t* featurePath_ = nullptr;
};
