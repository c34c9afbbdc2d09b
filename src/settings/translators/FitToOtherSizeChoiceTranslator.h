// Whether the page is fitted to another paper size ("printing/FitToOtherSizeChoice"); when
// it is, the target size follows as a sub-feature.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class GDriverObject;

class FitToOtherSizeChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;
    static constexpr uint16_t kFitToOtherSize = 1;

    FitToOtherSizeChoiceTranslator(GDMCLibrary& library, GDriverObject* driver)
        : DescribedTranslator(library, kDescription), driver_(driver)
    {
    }
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

private:
    GDriverObject* driver_;
};
