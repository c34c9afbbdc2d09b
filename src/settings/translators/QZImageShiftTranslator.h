// The image-shift unit; exported under the punch choice's key ("printing/QZImageShift").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class QZImageShiftTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit QZImageShiftTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
