// The envelope feeder is installed ("physical/EnvFeeder"); no change record.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class EnvFeederTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit EnvFeederTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
