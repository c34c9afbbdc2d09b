// The shade of a watermark, below "printing/Watermarks".
#pragma once

#include "settings/translators/WatermarkLeafTranslator.h"

class WMShadeLevelTranslator : public WatermarkLeafTranslator {
public:
    static const TranslatorDescription kDescription;
    static const WatermarkDefault kDefaults[];

    explicit WMShadeLevelTranslator(GDMCLibrary& library);
};
