// Binding of the job; exported under the bind choice's key ("printing/BinderChoice").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class BinderChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit BinderChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
