#include "settings/translators/FeatureKeys.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/translators/AccessoryOutputBinsTranslator.h"
#include "settings/translators/CopiesTranslator.h"
#include "settings/translators/DeviceIsZadidiTranslator.h"
#include "settings/translators/DriverWorkSpaceSettingTranslator.h"
#include "settings/translators/DuplexTranslator.h"
#include "settings/translators/DuplexUnitTranslator.h"
#include "settings/translators/EconoModeTranslator.h"
#include "settings/translators/EnvFeederTranslator.h"
#include "settings/translators/FitToOtherSizeChoiceTranslator.h"
#include "settings/translators/InputBinTranslator.h"
#include "settings/translators/JobRetentionAvailableTranslator.h"
#include "settings/translators/JobRetentionTranslator.h"
#include "settings/translators/MediaTypeTranslator.h"
#include "settings/translators/MemoryTranslator.h"
#include "settings/translators/NUpChoiceTranslator.h"
#include "settings/translators/OptionalPaperSourcesTranslator.h"
#include "settings/translators/OrientationTranslator.h"
#include "settings/translators/OutputBinTranslator.h"
#include "settings/translators/PaperSizeTranslator.h"
#include "settings/translators/PrintColorAsGrayTranslator.h"
#include "settings/translators/PrinterHardDiskTranslator.h"
#include "settings/translators/QZChromafitTranslator.h"
#include "settings/translators/RGBColorTranslator.h"
#include "settings/translators/ScaleChoiceTranslator.h"
#include "settings/translators/ScaleFromLargePaperTranslator.h"
#include "settings/translators/ScalePageChoiceTranslator.h"
#include "settings/translators/StaplerChoiceTranslator.h"
#include "settings/translators/StaplingPositionTranslator.h"
#include "settings/translators/StaplingTranslator.h"
#include "settings/translators/TextAsBlackTranslator.h"
#include "settings/translators/WatermarksTranslator.h"

// The printing-section, print-quality and physical-section translators.
#include "settings/translators/BinderChoiceTranslator.h"
#include "settings/translators/BinderUnitTranslator.h"
#include "settings/translators/BookletPrintingChoiceTranslator.h"
#include "settings/translators/BookletTargetSizeTranslator.h"
#include "settings/translators/BundlesTranslator.h"
#include "settings/translators/CollationUnitTranslator.h"
#include "settings/translators/DryTimeTranslator.h"
#include "settings/translators/EdgeToEdgeTranslator.h"
#include "settings/translators/FoldingTranslator.h"
#include "settings/translators/IgnoreCollationChoiceTranslator.h"
#include "settings/translators/JobRetentionModeChoiceTranslator.h"
#include "settings/translators/ManualDuplexTranslator.h"
#include "settings/translators/MetChoiceTranslator.h"
#include "settings/translators/MonoChromeChoiceTranslator.h"
#include "settings/translators/NamedFeatureTranslator.h"
#include "settings/translators/PageOrderTranslator.h"
#include "settings/translators/PatternScalingChoiceTranslator.h"
#include "settings/translators/PrintQualityTranslator.h"
#include "settings/translators/PunchingTranslator.h"
#include "settings/translators/QZAutoDuplexScalingTranslator.h"
#include "settings/translators/QZEmulateTXMarginsTranslator.h"
#include "settings/translators/QZImageShiftTranslator.h"
#include "settings/translators/QZSymmetricalMarginsTranslator.h"
#include "settings/translators/RasterizationChoiceTranslator.h"
#include "settings/translators/ResolutionTranslator.h"
#include "settings/translators/RetChoiceTranslator.h"
#include "settings/translators/ScannerChoiceTranslator.h"
#include "settings/translators/StraightPaperPathTranslator.h"
#include "settings/translators/TTAsBitmapSettingTranslator.h"
#include "settings/translators/TransparencyInterleaveTranslator.h"
#include "settings/translators/Tray1Translator.h"
#include "settings/translators/UseDiffFirstPageChoiceTranslator.h"

namespace {

// The makers of the classes built with the library alone, with the driver object, and
// in their main mode (0).
template <class T>
FeatureTranslator* Make(GDMCConfig& config, const wchar_t*)
{
    return new T(config.Library());
}

// The printing-section, print-quality and physical-section makers needing the driver object
// or the key.
FeatureTranslator* MakeUseDiffFirstPageChoice(GDMCConfig& config, const wchar_t*)
{
    return new UseDiffFirstPageChoiceTranslator(config.Library(), config.GetDriverObject());
}
FeatureTranslator* MakePrintQuality(GDMCConfig& config, const wchar_t*)
{
    return new PrintQualityTranslator(config.Library(), config.GetDriverObject());
}
FeatureTranslator* MakeNamedFeature(GDMCConfig& config, const wchar_t* key)
{
    return new NamedFeatureTranslator(config.Library(), key, config.GetDriverObject());
}
FeatureTranslator* MakeBundles(GDMCConfig& config, const wchar_t*)
{
    return new BundlesTranslator(config.Library(), config.GetDriverObject());
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
FeatureTranslator* MakeQZChromafit(GDMCConfig& config, const wchar_t*)
{
    return new QZChromafitTranslator(config.Library(), config.GetDriverObject());
}
FeatureTranslator* MakeOptionalPaperSources(GDMCConfig& config, const wchar_t*)
{
    return new OptionalPaperSourcesTranslator(config.Library(), config.GetDriverObject());
}
FeatureTranslator* MakeAccessoryOutputBins(GDMCConfig& config, const wchar_t*)
{
    return new AccessoryOutputBinsTranslator(config.Library(), config.GetDriverObject());
}

// "Stapling" builds the class the job settings choose.
FeatureTranslator* MakeStapling(GDMCConfig& config, const wchar_t* key)
{
    switch (FeatureKeys::ChooseStaplingClass(config.GetSettings())) {
    case FeatureKeys::StaplingClass::kStapling:
        return Make<StaplingTranslator>(config, key);
    case FeatureKeys::StaplingClass::kStaplingPosition:
        return Make<StaplingPositionTranslator>(config, key);
    case FeatureKeys::StaplingClass::kNone:
        break;
    }
    return nullptr;
}

// The keys in the order they are compared; a null maker: the class is not available.
const FeatureKey kRows[FeatureKeys::kCount] = {
    /*  1 */ {L"QZChromafit", MakeQZChromafit},
    /*  2 */ {L"RGBColor", Make<RGBColorTranslator>},
    /*  3 */ {L"ScaleFromLargePaper", Make<ScaleFromLargePaperTranslator>},
    /*  4 */ {L"OptionalPaperSources", MakeOptionalPaperSources},
    /*  5 */ {L"MediaType", MakeMediaType},
    /*  6 */ {L"PrintColorAsGray", Make<PrintColorAsGrayTranslator>},
    /*  7 */ {L"InputBin", MakeInputBin},
    /*  8 */ {L"PrintQuality", MakePrintQuality},
    /*  9 */ {L"PaperSize", MakePaperSize},
    /* 10 */ {L"DuplexUnit", Make<DuplexUnitTranslator>},
    /* 11 */ {L"Duplex", Make<DuplexTranslator>},
    /* 12 */ {L"Memory", Make<MemoryTranslator>},
    /* 13 */ {L"PrinterHardDisk", Make<PrinterHardDiskTranslator>},
    /* 14 */ {L"DeviceIsZadidi", Make<DeviceIsZadidiTranslator>},
    /* 15 */ {L"DriverWorkSpaceSetting", Make<DriverWorkSpaceSettingTranslator>},
    /* 16 */ {L"JobRetentionAvailable", Make<JobRetentionAvailableTranslator>},
    /* 17 */ {L"JobRetention", Make<JobRetentionTranslator>},
    /* 18 */ {L"EnvFeeder", Make<EnvFeederTranslator>},
    /* 19 */ {L"AccessoryOutputBins", MakeAccessoryOutputBins},
    /* 20 */ {L"EconoMode", Make<EconoModeTranslator>},
    /* 21 */ {L"Orientation", Make<OrientationTranslator>},
    /* 22 */ {L"StaplerChoice", Make<StaplerChoiceTranslator>},
    /* 23 */ {L"Stapling", MakeStapling},
    /* 24 */ {L"OutputBin", Make<OutputBinTranslator>},
    /* 25 */ {L"Copies", Make<CopiesTranslator>},
    /* 26 */ {L"TextAsBlack", Make<TextAsBlackTranslator>},
    /* 27 */ {L"NUpChoice", Make<NUpChoiceTranslator>},
    /* 28 */ {L"FitToOtherSizeChoice", MakeFitToOtherSize},
    /* 29 */ {L"ScalePageChoice", Make<ScalePageChoiceTranslator>},
    /* 30 */ {L"ScaleChoice", Make<ScaleChoiceTranslator>},
    /* 31 */ {L"BookletPrintingChoice", Make<BookletPrintingChoiceTranslator>},
    /* 32 */ {L"TTAsBitmapSetting", Make<TTAsBitmapSettingTranslator>},
    /* 33 */ {L"BookletTargetSize", Make<BookletTargetSizeTranslator>},
    /* 34 */ {L"Watermarks", Make<WatermarksTranslator>},
    /* 35 */ {L"BinderUnit", Make<BinderUnitTranslator>},
    /* 36 */ {L"ScannerChoice", Make<ScannerChoiceTranslator>},
    /* 37 */ {L"CollationUnit", Make<CollationUnitTranslator>},
    /* 38 */ {L"MonoChromeChoice", Make<MonoChromeChoiceTranslator>},
    /* 39 */ {L"Resolution", Make<ResolutionTranslator>},
    /* 40 */ {L"EdgeToEdge", Make<EdgeToEdgeTranslator>},
    /* 41 */ {L"JobRetentionModeChoice", Make<JobRetentionModeChoiceTranslator>},
    /* 42 */ {L"RasterizationChoice", Make<RasterizationChoiceTranslator>},
    /* 43 */ {L"MetChoice", Make<MetChoiceTranslator>},
    /* 44 */ {L"RetChoice", Make<RetChoiceTranslator>},
    /* 45 */ {L"PatternScalingChoice", Make<PatternScalingChoiceTranslator>},
    /* 46 */ {L"UseDiffFirstPageChoice", MakeUseDiffFirstPageChoice},
    /* 47 */ {L"BinderChoice", Make<BinderChoiceTranslator>},
    /* 48 */ {L"IgnoreCollationChoice", Make<IgnoreCollationChoiceTranslator>},
    /* 49 */ {L"PageOrder", Make<PageOrderTranslator>},
    /* 50 */ {L"Tray1", Make<Tray1Translator>},
    /* 51 */ {L"ManualDuplex", Make<ManualDuplexTranslator>},
    /* 52 */ {L"StraightPaperPath", Make<StraightPaperPathTranslator>},
    /* 53 */ {L"DryTime", Make<DryTimeTranslator>},
    /* 54 */ {L"QZEmulateTXMargins", Make<QZEmulateTXMarginsTranslator>},
    /* 55 */ {L"QZSymmetricalMargins", Make<QZSymmetricalMarginsTranslator>},
    /* 56 */ {L"QZAutoDuplexScaling", Make<QZAutoDuplexScalingTranslator>},
    /* 57 */ {L"Punching", Make<PunchingTranslator>},
    /* 58 */ {L"QZPostInsertionKit", MakeNamedFeature},
    /* 59 */ {L"Folding", Make<FoldingTranslator>},
    /* 60 */ {L"QZImageShift", Make<QZImageShiftTranslator>},
    /* 61 */ {L"TransparencyInterleave", Make<TransparencyInterleaveTranslator>},
    /* 62 */ {L"QZPunchUnitType", MakeNamedFeature},
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
TranslatorMaker GDMCConfig::bundlesMaker = MakeBundles;

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
