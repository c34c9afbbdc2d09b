// Whether fill patterns scale with the resolution ("printing/PatternScalingChoice").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class PatternScalingChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit PatternScalingChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
