// The page orientation in degrees ("printing/Orientation").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class OrientationTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit OrientationTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
