// The style of a watermark's font, below "printing/Watermarks".
#pragma once

#include "settings/translators/WatermarkLeafTranslator.h"

class WMFontStyleTranslator : public WatermarkLeafTranslator {
public:
    static const TranslatorDescription kDescription;
    static const WatermarkDefault kDefaults[];

    explicit WMFontStyleTranslator(GDMCLibrary& library);
};
