// The colour of a watermark, below "printing/Watermarks": a colour with red in the low
// byte, green in the next and blue in the third, kept as three leaves (398, 399, 400).
#pragma once

#include "settings/translators/WatermarkLeafTranslator.h"

struct WatermarkColour {
    uint32_t colour;
    const wchar_t* keyword;
};

class WMColorTranslator : public WatermarkLeafTranslator {
public:
    static const TranslatorDescription kDescription;
    static const WatermarkDefault kDefaults[];
    static const WatermarkColour kColours[7];
    static const uint16_t kColourCount;

    explicit WMColorTranslator(GDMCLibrary& library);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    // The tree is a watermark definition.
    int32_t FromAttributes(GObjectBase* definition) override;
};
