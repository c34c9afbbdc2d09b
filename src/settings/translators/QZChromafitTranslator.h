// The colour options' mode ("printing/QZChromafit", 364 / 304): "Manual" (6) or anything
// else ("Automatic"). Manual options are eleven sub-features, each one option byte of the
// colour-adjustment attribute in the job composite (class 797, else class 1201). They are
// taken over only when every halftone, neutral-grey and edge-control sub-feature is
// present and the result differs from the printer configuration's colour attribute (208).
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class GChromafitBase;
class GDriverObject;

// An option byte addressed by (object, kind): object 0 text, 1 graphics, 2 photo, 3 page;
// kind 0 neutral greys, 1 halftone, 2 edge control, 3 RGB colour.
struct ColourByte {
    uint8_t object;
    uint8_t kind;
};

// The option bytes of one attribute, by (object, kind).
struct ColourBytes {
    uint8_t byte[4][4];
    uint8_t& operator[](ColourByte at) { return byte[at.object][at.kind]; }
};

struct ColourImportRow {
    const wchar_t* keyword;
    uint8_t byte;
};
struct ColourExportRow {
    uint8_t byte;
    const wchar_t* keyword;
};

// One manual sub-feature: its name after "QZChromafit_", its byte, whether a missing
// sub-feature leaves the import incomplete, and both directions' rows with their
// defaults (a keyword or byte no row holds).
struct ColourSubFeature {
    const wchar_t* name;
    ColourByte at;
    bool required;
    ColourImportRow imports[3];
    uint8_t importCount;
    uint8_t importDefault;
    ColourExportRow exports[3];
    uint8_t exportCount;
    const wchar_t* exportDefault;
};

class QZChromafitTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;
    static const ColourSubFeature kSubFeatures[11];
    static const ColourByte kBytes797[8];
    static const ColourByte kBytes1201[10];
    static constexpr uint16_t kManual = 6;
    static constexpr uint16_t kKeywordChars128 = 128;

    QZChromafitTranslator(GDMCLibrary& library, GDriverObject* driver);
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;

    int32_t ReadManualOptions();
    int32_t WriteManualOptions();
    bool IsSameAsConfigured(const GChromafitBase* attribute) const;

    // All bytes the attribute's class holds, in their listed order; false when the class
    // is neither 797 nor 1201 or any access fails.
    static bool ReadOptionBytes(const GChromafitBase& attribute, ColourBytes& bytes);
    static bool WriteOptionBytes(GChromafitBase& attribute, const ColourBytes& bytes);
    // The working set before the attribute is read: each sub-feature's byte starts at
    // the byte its first import keyword gives, so a byte the attribute lacks exports that
    // keyword ("Default-sRGB" for the colour-space sub-features).
    static ColourBytes StartingBytes();
    // The full path of a sub-feature.
    static void SubFeaturePath(const ColourSubFeature& feature, wchar_t* path, size_t capacity);

private:
    GChromafitBase* FindAttributeOfColour() const;

    GDriverObject* driver_;
    GObjectBase* settings_ = nullptr;
    GAttributeComposite* changes_ = nullptr;
};
