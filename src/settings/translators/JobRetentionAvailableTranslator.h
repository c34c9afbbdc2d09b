// The device offers job retention ("physical/JobRetentionAvailable"); no change record.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class JobRetentionAvailableTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit JobRetentionAvailableTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
