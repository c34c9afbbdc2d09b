// The job's watermark ("printing/Watermarks"): one of three predefined watermarks by
// keyword. Importing makes the definition of that index (in the list 378) current in 379
// under 364, lets the six look sub-translators read the look, and copies the look back into
// the definition; exporting names the current watermark and lets the sub-translators
// export the look of the definition whose text is the current text.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class WatermarksTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;
    // The look copied from the current watermark into its definition, in this order; the
    // last one is text.
    static const uint16_t kLookValues[11];
    static const uint16_t kLookText;

    explicit WatermarksTranslator(GDMCLibrary& library);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    uint16_t OptionCount() const { return optionCount_; }

private:
    uint16_t optionCount_;
};
