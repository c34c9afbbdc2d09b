// Printing colour as grey ("printing/PrintColorAsGray", 364 / 296). When grey printing is
// on, its options follow. The export names 0 "Disable" and falls back to "FALSE" only when
// the configuration refuses that word; the feature carries the lock.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class PrintColorAsGrayTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit PrintColorAsGrayTranslator(GDMCLibrary& library);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    uint16_t OptionCount() const { return optionCount_; }

private:
    uint16_t optionCount_;
};
