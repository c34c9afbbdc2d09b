// Equal margins on both sides of a duplex sheet ("printing/QZSymmetricalMargins"). The keyword is read before the attribute is looked for.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class QZSymmetricalMarginsTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit QZSymmetricalMarginsTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
};
