// Edge smoothing; the range markers import but never export ("printing/RetChoice").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class RetChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit RetChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
