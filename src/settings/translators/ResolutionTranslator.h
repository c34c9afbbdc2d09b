// The printing resolution ("printing/Resolution"): one keyword sets the resolution pair
// (323, 324) and the bit depth (325) of the job's resolution node (362 / 249). The pair
// holds the table's code, which the DEVMODE side reads as a code, never as a divisor.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class ResolutionTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;
    static constexpr uint16_t kSolvane1200 = 0;
    static constexpr uint16_t kSolvaneBits = 2;
    static constexpr uint16_t kOtherBits = 1;

    explicit ResolutionTranslator(GDMCLibrary& library) : FeatureTranslator(library) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;
};
