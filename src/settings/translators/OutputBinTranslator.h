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

class OutputBinTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;
    static const OutputBinRule kRules[];
    static const uint16_t kRuleCount;
    static constexpr uint32_t kHelperFeature = 248;

    explicit OutputBinTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}

protected:
    // The helper library handles the feature when it answers non-zero.
    int32_t Ahead(GObjectBase* settings, Direction direction) override;
    // The accessory's refinement of the bin.
    int32_t AfterScan(const TranslatorDescription& description, GObjectBase* settings, GAttributeComposite* changes,
                      FeatureSetting bin, const wchar_t* keyword) override;
};
