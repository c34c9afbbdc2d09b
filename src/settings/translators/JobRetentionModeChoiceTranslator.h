// How the printer keeps a job ("printing/JobRetentionModeChoice").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class JobRetentionModeChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit JobRetentionModeChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
