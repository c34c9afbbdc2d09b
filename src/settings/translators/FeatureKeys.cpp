#include "settings/translators/FeatureKeys.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/translators/CopiesTranslator.h"
#include "settings/translators/EconoModeTranslator.h"
#include "settings/translators/FitToOtherSizeChoiceTranslator.h"
#include "settings/translators/InputBinTranslator.h"
#include "settings/translators/MediaTypeTranslator.h"
#include "settings/translators/NUpChoiceTranslator.h"
#include "settings/translators/OrientationTranslator.h"
#include "settings/translators/PaperSizeTranslator.h"
#include "settings/translators/ScaleChoiceTranslator.h"
#include "settings/translators/ScalePageChoiceTranslator.h"
#include "settings/translators/TextAsBlackTranslator.h"

namespace {

// The makers of the classes built with the library alone, with the driver object, and
// in their main mode (0).
template <class T>
FeatureTranslator* Make(GDMCConfig& config, const wchar_t*)
{
    return new T(config.Library());
}
FeatureTranslator* MakeMediaType(GDMCConfig& config, const wchar_t*)
{
    return new MediaTypeTranslator(config.Library(), 0);
}
FeatureTranslator* MakeInputBin(GDMCConfig& config, const wchar_t*)
{
    return new InputBinTranslator(config.Library(), config.GetDriverObject(), 0);
}
FeatureTranslator* MakePaperSize(GDMCConfig& config, const wchar_t*)
{
    return new PaperSizeTranslator(config.Library(), config.GetDriverObject(), 0);
}
FeatureTranslator* MakeFitToOtherSize(GDMCConfig& config, const wchar_t*)
{
    return new FitToOtherSizeChoiceTranslator(config.Library(), config.GetDriverObject());
}

// The stapling translators are not available yet: both makers stay null until they are.
const TranslatorMaker kStaplingMaker = nullptr;
const TranslatorMaker kStaplingPositionMaker = nullptr;

FeatureTranslator* MakeStapling(GDMCConfig& config, const wchar_t* key)
{
    switch (FeatureKeys::ChooseStaplingClass(config.GetSettings())) {
    case FeatureKeys::StaplingClass::kStapling:
        return kStaplingMaker ? kStaplingMaker(config, key) : nullptr;
    case FeatureKeys::StaplingClass::kStaplingPosition:
        return kStaplingPositionMaker ? kStaplingPositionMaker(config, key) : nullptr;
    case FeatureKeys::StaplingClass::kNone:
        break;
    }
    return nullptr;
}

// The keys in the order they are compared; a null maker: the class is not available.
const FeatureKey kRows[FeatureKeys::kCount] = {
    /*  1 */ {L"QZChromafit", nullptr},
    /*  2 */ {L"RGBColor", nullptr},
    /*  3 */ {L"ScaleFromLargePaper", nullptr},
    /*  4 */ {L"OptionalPaperSources", nullptr},
    /*  5 */ {L"MediaType", MakeMediaType},
    /*  6 */ {L"PrintColorAsGray", nullptr},
    /*  7 */ {L"InputBin", MakeInputBin},
    /*  8 */ {L"PrintQuality", nullptr},
    /*  9 */ {L"PaperSize", MakePaperSize},
    /* 10 */ {L"DuplexUnit", nullptr},
    /* 11 */ {L"Duplex", nullptr},
    /* 12 */ {L"Memory", nullptr},
    /* 13 */ {L"PrinterHardDisk", nullptr},
    /* 14 */ {L"DeviceIsZadidi", nullptr},
    /* 15 */ {L"DriverWorkSpaceSetting", nullptr},
    /* 16 */ {L"JobRetentionAvailable", nullptr},
    /* 17 */ {L"JobRetention", nullptr},
    /* 18 */ {L"EnvFeeder", nullptr},
    /* 19 */ {L"AccessoryOutputBins", nullptr},
    /* 20 */ {L"EconoMode", Make<EconoModeTranslator>},
    /* 21 */ {L"Orientation", Make<OrientationTranslator>},
    /* 22 */ {L"StaplerChoice", nullptr},
    /* 23 */ {L"Stapling", MakeStapling},
    /* 24 */ {L"OutputBin", nullptr},
    /* 25 */ {L"Copies", Make<CopiesTranslator>},
    /* 26 */ {L"TextAsBlack", Make<TextAsBlackTranslator>},
    /* 27 */ {L"NUpChoice", Make<NUpChoiceTranslator>},
    /* 28 */ {L"FitToOtherSizeChoice", MakeFitToOtherSize},
    /* 29 */ {L"ScalePageChoice", Make<ScalePageChoiceTranslator>},
    /* 30 */ {L"ScaleChoice", Make<ScaleChoiceTranslator>},
    /* 31 */ {L"BookletPrintingChoice", nullptr},
    /* 32 */ {L"TTAsBitmapSetting", nullptr},
    /* 33 */ {L"BookletTargetSize", nullptr},
    /* 34 */ {L"Watermarks", nullptr},
    /* 35 */ {L"BinderUnit", nullptr},
    /* 36 */ {L"ScannerChoice", nullptr},
    /* 37 */ {L"CollationUnit", nullptr},
    /* 38 */ {L"MonoChromeChoice", nullptr},
    /* 39 */ {L"Resolution", nullptr},
    /* 40 */ {L"EdgeToEdge", nullptr},
    /* 41 */ {L"JobRetentionModeChoice", nullptr},
    /* 42 */ {L"RasterizationChoice", nullptr},
    /* 43 */ {L"MetChoice", nullptr},
    /* 44 */ {L"RetChoice", nullptr},
    /* 45 */ {L"PatternScalingChoice", nullptr},
    /* 46 */ {L"UseDiffFirstPageChoice", nullptr},
    /* 47 */ {L"BinderChoice", nullptr},
    /* 48 */ {L"IgnoreCollationChoice", nullptr},
    /* 49 */ {L"PageOrder", nullptr},
    /* 50 */ {L"Tray1", nullptr},
    /* 51 */ {L"ManualDuplex", nullptr},
    /* 52 */ {L"StraightPaperPath", nullptr},
    /* 53 */ {L"DryTime", nullptr},
    /* 54 */ {L"QZEmulateTXMargins", nullptr},
    /* 55 */ {L"QZSymmetricalMargins", nullptr},
    /* 56 */ {L"QZAutoDuplexScaling", nullptr},
    /* 57 */ {L"Punching", nullptr},
    /* 58 */ {L"QZPostInsertionKit", nullptr},
    /* 59 */ {L"Folding", nullptr},
    /* 60 */ {L"QZImageShift", nullptr},
    /* 61 */ {L"TransparencyInterleave", nullptr},
    /* 62 */ {L"QZPunchUnitType", nullptr},
};

} // namespace

FeatureKeys::StaplingClass FeatureKeys::ChooseStaplingClass(GObjectBase* settings)
{
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kJobSettings);
    if (!job)
        return StaplingClass::kNone;
    return job->FindById(FeatureId::kStaplingPosition) ? StaplingClass::kStaplingPosition : StaplingClass::kStapling;
}

const FeatureKeyTable GDMCConfig::kFeatureKeys = {kRows, FeatureKeys::kCount};
const FeatureKeyTable* GDMCConfig::featureKeys = &GDMCConfig::kFeatureKeys;
// The bundles' translator is not available yet.
TranslatorMaker GDMCConfig::bundlesMaker = nullptr;

FeatureTranslator* GDMCConfig::MapFeatureKeys(const wchar_t* key)
{
    const FeatureKeyTable* table = featureKeys;
    if (!table || !key)
        return nullptr;
    for (size_t row = 0; row < table->count; ++row)
        if (GDMCLibrary::KeywordEquals(key, table->rows[row].key))
            return table->rows[row].maker ? table->rows[row].maker(*this, key) : nullptr;
    return nullptr;
}
