// How colour is printed as grey, below "printing/PrintColorAsGray" when that is on.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class PrintColorAsGrayOptionsTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit PrintColorAsGrayOptionsTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
