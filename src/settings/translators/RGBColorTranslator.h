// The colour space assumed for RGB data ("printing/RGBColor"): three option bytes (kind 3
// of text, graphics and photo) of the colour-adjustment attribute of class 1201 in the job
// composite 364. A keyword not in the table takes its last row; the export reads the photo
// byte alone.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class GChromafitBase;

// One row: the keyword and the bytes of text, graphics and photo.
struct RGBColorRow {
    const wchar_t* keyword;
    uint8_t bytes[3];
};

class RGBColorTranslator : public FeatureTranslator {
public:
    static const RGBColorRow kRows[5];
    static constexpr const wchar_t* kPath = L"printing/RGBColor";

    explicit RGBColorTranslator(GDMCLibrary& library) : FeatureTranslator(library) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    // The first member of the class (797 or 1201) among the job composite's members.
    static GChromafitBase* FindColourMember(GObjectBase* settings, uint16_t classId);
};
