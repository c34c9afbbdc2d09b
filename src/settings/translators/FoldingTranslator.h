// Folding of the printed sheets ("printing/Folding"). A taken choice also sets the device's
// folding unit (365 / 1004) to 3.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class FoldingTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;
    static constexpr uint16_t kFoldingUnitActive = 3;

    explicit FoldingTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
};
