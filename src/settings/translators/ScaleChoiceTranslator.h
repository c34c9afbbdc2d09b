// The scale in per cent (numeric "printing/ScaleChoice"): taken from 25 to 400.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class ScaleChoiceTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;
    static constexpr int16_t kMinimum = 25;
    static constexpr int16_t kMaximum = 400;

    explicit ScaleChoiceTranslator(GDMCLibrary& library) : FeatureTranslator(library) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override { return ExportNumeric(kDescription, settings); }
};
