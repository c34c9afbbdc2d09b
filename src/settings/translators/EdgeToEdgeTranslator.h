// Printing up to the sheet's edges ("printing/EdgeToEdge").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class EdgeToEdgeTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit EdgeToEdgeTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
