// Margins as an older printer family set them ("printing/QZEmulateTXMargins"). The keyword is read before the attribute is looked for.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class QZEmulateTXMarginsTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit QZEmulateTXMarginsTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
};
