// Whether duplex pages are scaled ("printing/Duplex/QZAutoDuplexScaling", kept in 362 / 983
// inverted: 1 means no scaling). Read only with a duplex unit or manual duplex, and only
// when duplex itself is on; scaling off turns symmetrical margins on.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class QZAutoDuplexScalingTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit QZAutoDuplexScalingTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
};
