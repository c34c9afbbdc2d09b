// Whether and how a back cover is printed ("printing/UseDiffFirstPageChoice/
// BackCoverChoice"); a cover from another source brings in its media and tray.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class GDriverObject;

class BackCoverChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;
    static constexpr uint16_t kUseAlternateSource = 2;

    BackCoverChoiceTranslator(GDMCLibrary& library, GDriverObject* driver)
        : DescribedTranslator(library, kDescription), driver_(driver)
    {
    }
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

private:
    GDriverObject* driver_;
};
