// Memory enhancement and page protection; the range markers import but never export ("printing/MetChoice").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class MetChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit MetChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
