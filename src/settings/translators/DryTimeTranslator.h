// Drying time of the fuser in steps of five around zero ("printing/DryTime"): the
// configuration's signed number maps to a stored step 1 to 10, 4 meaning zero.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

struct DryTimeStep {
    int16_t number;
    uint16_t value;
};

class DryTimeTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;
    static const DryTimeStep kSteps[10];
    static constexpr uint16_t kZeroStep = 4;

    explicit DryTimeTranslator(GDMCLibrary& library) : FeatureTranslator(library) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;
};
