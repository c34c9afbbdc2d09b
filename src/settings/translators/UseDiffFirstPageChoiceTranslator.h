// Whether the first page differs from the rest ("printing/UseDiffFirstPageChoice"). When it
// does, the media and tray of the other pages and the back cover follow as sub-features.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class GDriverObject;

class UseDiffFirstPageChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;
    static constexpr uint16_t kDifferentFirstPage = 1;
    // The mode in which the media and tray translators carry the other pages.
    static constexpr uint32_t kRestMode = 1;

    UseDiffFirstPageChoiceTranslator(GDMCLibrary& library, GDriverObject* driver)
        : DescribedTranslator(library, kDescription), driver_(driver)
    {
    }
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

private:
    GDriverObject* driver_;
};
