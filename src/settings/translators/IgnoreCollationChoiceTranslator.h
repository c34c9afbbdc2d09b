// Whether the application's collation is ignored ("printing/IgnoreCollationChoice").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class IgnoreCollationChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit IgnoreCollationChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
