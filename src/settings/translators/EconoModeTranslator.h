// Toner-saving economy mode ("printing/EconoMode").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class EconoModeTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit EconoModeTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
