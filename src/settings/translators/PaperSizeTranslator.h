// The paper size ("printing/PaperSize", mode 0) or the target size of fit-to-other-size
// ("printing/FitToOtherSizeChoice/TargetSizeChoice", mode 1). Keywords name paper codes;
// an imported code goes through the driver UI's form conversions, and an exported code
// beyond the built-in ones is normalised first.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class GDriverObject;

class PaperSizeTranslator : public FeatureTranslator {
public:
    static const TranslatorOption kPapers[80];
    static const uint16_t kPaperCount;
    static const TranslatorDescription kPaperSize;
    static const TranslatorDescription kTargetSize;
    // Codes above this one are normalised before an export.
    static constexpr uint16_t kLastPlainCode = 4000;

    PaperSizeTranslator(GDMCLibrary& library, GDriverObject* driver, uint32_t mode);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    const TranslatorDescription& Description() const { return description_; }
    uint16_t OptionCount() const { return optionCount_; }

private:
    GDriverObject* driver_;
    const TranslatorDescription& description_;
    uint16_t optionCount_;
};
