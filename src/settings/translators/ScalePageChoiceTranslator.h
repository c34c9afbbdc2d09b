// Whether the page is scaled to fit the paper ("printing/ScalePageChoice").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class ScalePageChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit ScalePageChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
