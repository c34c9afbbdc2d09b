// The straight paper path ("printing/StraightPaperPath"), taken over only when manual
// duplex is on.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class StraightPaperPathTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit StraightPaperPathTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
};
