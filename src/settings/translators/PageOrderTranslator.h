// The order pages leave the printer in ("printing/PageOrder").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class PageOrderTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit PageOrderTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
