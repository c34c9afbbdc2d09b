// How pages are rasterized ("printing/RasterizationChoice").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class RasterizationChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit RasterizationChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
