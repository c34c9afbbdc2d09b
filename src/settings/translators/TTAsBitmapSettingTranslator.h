// TrueType text sent as outlines or as bitmaps ("printing/TTAsBitmapSetting").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class TTAsBitmapSettingTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit TTAsBitmapSettingTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
