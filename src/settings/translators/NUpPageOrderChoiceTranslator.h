// The order of the pages on an N-up sheet, below "printing/NUpChoice".
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class NUpPageOrderChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit NUpPageOrderChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
