// The stapler's stapling option ("printing/StaplerChoice/Stapling", 362 / 289; 982 for
// "Stitching"). Without the sub-feature in the configuration, a stapler choice of 1 turns
// stapling on. The "W1908" finisher staples "1parallel" and "2parallel" with bins of its
// own (8 and 9). A copy of the target attribute is recorded whether or not a row matched.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

// One finisher value: the keyword and the value it takes with that accessory.
struct StaplingModelRow {
    const wchar_t* keyword;
    uint16_t value;
};

class StaplingTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;
    static const StaplingModelRow kFinisherRows[2];
    static constexpr const wchar_t* kStitching = L"Stitching";
    static constexpr uint16_t kNone = 7;

    explicit StaplingTranslator(GDMCLibrary& library);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    uint16_t OptionCount() const { return optionCount_; }

private:
    uint16_t optionCount_;
};
