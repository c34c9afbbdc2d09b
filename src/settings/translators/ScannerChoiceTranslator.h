// An installed scanner ("physical/ScannerChoice").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class ScannerChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit ScannerChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
