// Hole punching and its edge ("printing/Punching").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class PunchingTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit PunchingTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
