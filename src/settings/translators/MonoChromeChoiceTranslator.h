// A printer that prints in black only ("physical/MonoChromeChoice").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class MonoChromeChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit MonoChromeChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
