// Whether the stapler staples ("printing/StaplerChoice", 362 / 278), read only when the
// device has a stapler (365 / 311). "Stitching" as the stapling option leaves the choice
// alone. The stapling option follows in both directions, whatever this feature gave.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class StaplerChoiceTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit StaplerChoiceTranslator(GDMCLibrary& library);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    uint16_t OptionCount() const { return optionCount_; }

private:
    uint16_t optionCount_;
};
