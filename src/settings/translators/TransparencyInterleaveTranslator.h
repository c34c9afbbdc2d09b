// Sheets put between transparencies ("printing/TransparencyInterleave").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class TransparencyInterleaveTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit TransparencyInterleaveTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
