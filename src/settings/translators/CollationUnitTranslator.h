// The collation unit; exported under its setting's key ("physical/CollationUnit").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class CollationUnitTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit CollationUnitTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
