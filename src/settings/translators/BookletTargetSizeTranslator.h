// The sheet a booklet is printed on (paper codes) ("printing/BookletTargetSize").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class BookletTargetSizeTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit BookletTargetSizeTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
