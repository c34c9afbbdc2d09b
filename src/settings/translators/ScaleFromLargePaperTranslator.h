// Pages larger than the device takes are scaled down ("physical/ScaleFromLargePaper",
// 365 / 915): exactly "TRUE" is 1, any other keyword 0; no change record.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class ScaleFromLargePaperTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit ScaleFromLargePaperTranslator(GDMCLibrary& library) : FeatureTranslator(library) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;
};
