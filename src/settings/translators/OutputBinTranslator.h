// The job's output bin ("printing/OutputBin", 362 / 248). The configuration's helper
// library may handle the feature itself; otherwise the keyword is taken by the bin table
// and refined by the installed output accessory (365 / 316), which decides between the
// bins that share a keyword. A copy of the attribute is recorded whether or not a row
// matched; the feature carries the lock.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

// One refinement: the keyword, the accessory models it applies to (null-terminated; an
// empty list matches any accessory) and the bin it then selects. The first rule of the
// keyword that applies wins; none applying keeps the table's bin.
struct OutputBinRule {
    const wchar_t* keyword;
    const char* const* models;
    uint16_t value;
};

class OutputBinTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;
    static const OutputBinRule kRules[];
    static const uint16_t kRuleCount;
    static constexpr uint32_t kHelperFeature = 248;

    explicit OutputBinTranslator(GDMCLibrary& library);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    uint16_t OptionCount() const { return optionCount_; }

private:
    uint16_t optionCount_;
};
