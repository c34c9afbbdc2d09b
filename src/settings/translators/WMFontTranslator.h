// The face of a watermark's font, below "printing/Watermarks": a string leaf (386) holding
// the narrow face name. The name of a definition comes from an application's settings,
// so an export reads at most 127 bytes of it; a longer name matches no face.
#pragma once

#include "settings/translators/WatermarkLeafTranslator.h"

struct WatermarkFace {
    const char* face;
    const wchar_t* keyword;
};

class WMFontTranslator : public WatermarkLeafTranslator {
public:
    static const TranslatorDescription kDescription;
    static const WatermarkDefault kDefaults[];
    static const WatermarkFace kFaces[4];
    static const uint16_t kFaceCount;
    static constexpr size_t kFaceBytes = 128;

    explicit WMFontTranslator(GDMCLibrary& library);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    // The tree is a watermark definition.
    int32_t FromAttributes(GObjectBase* definition) override;
};
