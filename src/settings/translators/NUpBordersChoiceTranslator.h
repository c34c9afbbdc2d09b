// Borders around the pages of an N-up sheet, below "printing/NUpChoice".
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class NUpBordersChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit NUpBordersChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
