// On which pages a watermark prints, below "printing/Watermarks". Its export walks
// the whole path from the settings root.
#pragma once

#include "settings/translators/WatermarkLeafTranslator.h"

class WMFirstPageOnlyTranslator : public WatermarkLeafTranslator {
public:
    static const TranslatorDescription kDescription;
    static const WatermarkDefault kDefaults[];

    explicit WMFirstPageOnlyTranslator(GDMCLibrary& library);
};
