// Job retention is enabled on the device ("physical/JobRetention"); no change record.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class JobRetentionTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit JobRetentionTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
