// Manual duplex: the user turns the sheets over ("physical/ManualDuplex").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class ManualDuplexTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit ManualDuplexTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
