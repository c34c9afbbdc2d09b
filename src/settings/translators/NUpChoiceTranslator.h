// Pages per sheet ("printing/NUpChoice"), with its page-order and borders sub-features.
// Not read while booklet printing (362 / 279) is on.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class NUpChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit NUpChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;
};
