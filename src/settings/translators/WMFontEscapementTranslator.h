// The angle of a watermark's text, below "printing/Watermarks": one of four angles, or
// "Custom" with the angle in degrees under ".../WMCustomAngle" (394).
#pragma once

#include "settings/translators/WatermarkLeafTranslator.h"

class WMFontEscapementTranslator : public WatermarkLeafTranslator {
public:
    static const TranslatorDescription kDescription;
    static const WatermarkDefault kDefaults[];
    static constexpr const wchar_t* kAnglePath = L"printing/Watermarks/WMFontEscapement/WMCustomAngle";
    static constexpr uint16_t kCustom = 4;

    explicit WMFontEscapementTranslator(GDMCLibrary& library);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    // The tree is a watermark definition.
    int32_t FromAttributes(GObjectBase* definition) override;
};
