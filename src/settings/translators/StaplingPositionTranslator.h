// Where the stapler staples ("printing/Stapling"), on devices whose job settings hold the
// stapling position (1200).
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class StaplingPositionTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit StaplingPositionTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
