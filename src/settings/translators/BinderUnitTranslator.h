// The binder unit; exported under its key in lower case ("physical/BinderUnit").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class BinderUnitTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit BinderUnitTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
