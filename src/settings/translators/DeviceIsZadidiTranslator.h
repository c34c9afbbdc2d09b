// The device switch "physical/DeviceIsZadidi"; no change record.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class DeviceIsZadidiTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit DeviceIsZadidiTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
