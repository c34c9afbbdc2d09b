// Two-sided printing ("printing/Duplex", 362 / 253, with the binding edge in
// "printing/Duplex/DuplexEdge"), read only when the device can print on both sides (365 /
// 245 non-zero or 365 / 308 at 1). "TRUE" without an edge binds on the long edge. Printing
// on both sides turns a page order of 0 into 1, and the automatic duplex scaling follows.
// A copy of the attribute is recorded whether or not a row matched; the feature carries
// the lock.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class DuplexTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;
    static constexpr const wchar_t* kEdgePath = L"printing/Duplex/DuplexEdge";

    explicit DuplexTranslator(GDMCLibrary& library);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    uint16_t OptionCount() const { return optionCount_; }

private:
    uint16_t optionCount_;
};
