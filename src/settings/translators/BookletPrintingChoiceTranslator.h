// Booklet printing and its binding edge ("printing/BookletPrintingChoice"). A booklet
// prints one page per side, so n-up (362 / 266) falls back to 1.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class BookletPrintingChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit BookletPrintingChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
};
