#include "settings/translators/QZChromafitTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/translators/RGBColorTranslator.h"

#include <cwchar>
#include <vector>

namespace {

const uint32_t kIdPath[] = {364, 304};
const TranslatorOption kOptions[] = {
    {6, L"Manual"},
};
const wchar_t kAutomatic[] = L"Automatic";
const wchar_t kSubFeaturePrefix[] = L"printing/QZChromafit/QZChromafit_";

std::vector<wchar_t> Buffer(uint16_t chars)
{
    std::vector<wchar_t> buffer(chars, wchar_t(0x2020));
    buffer.back() = 0;
    return buffer;
}

} // namespace

const TranslatorDescription QZChromafitTranslator::kDescription = {
    L"printing/QZChromafit", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

// In processing order.
const ColourSubFeature QZChromafitTranslator::kSubFeatures[11] = {
    {L"Text_Halftone", {0, 1}, true, {{L"Smooth", 0x2A}}, 1, 0x29, {{0x29, L"Detail"}}, 1, L"Smooth"},
    {L"Text_NeutralGrays", {0, 0}, true, {{L"4-Color", 0x47}}, 1, 0x46, {{0x46, L"BlackOnly"}}, 1, L"4-Color"},
    {L"Graphics_Halftone", {1, 1}, true, {{L"Smooth", 0x34}}, 1, 0x33, {{0x33, L"Detail"}}, 1, L"Smooth"},
    {L"Graphics_NeutralGrays", {1, 0}, true, {{L"4-Color", 0x51}}, 1, 0x50, {{0x50, L"BlackOnly"}}, 1, L"4-Color"},
    {L"Photo_Halftone", {2, 1}, true, {{L"Smooth", 0x3E}}, 1, 0x3D, {{0x3D, L"Detail"}}, 1, L"Smooth"},
    {L"Photo_NeutralGrays", {2, 0}, true, {{L"BlackOnly", 0x5A}}, 1, 0x5B, {{0x5B, L"4-Color"}}, 1, L"BlackOnly"},
    {L"ColorOptions_RGBColor", {3, 3}, false, {{L"Device", 0x63}, {L"Vivid", 0x61}}, 2, 0x62,
     {{0x62, L"Default-sRGB"}, {0x63, L"Device"}}, 2, L"Vivid"},
    {L"Text_SRGBColor", {0, 3}, false, {{L"Default-sRGB", 0x64}, {L"Device", 0x66}}, 2, 0x65,
     {{0x64, L"Default-sRGB"}, {0x65, L"Vivid"}}, 2, L"Device"},
    {L"Graphics_SRGBColor", {1, 3}, false, {{L"Default-sRGB", 0x67}, {L"Device", 0x69}}, 2, 0x68,
     {{0x67, L"Default-sRGB"}, {0x68, L"Vivid"}}, 2, L"Device"},
    {L"Photo_SRGBColor", {2, 3}, false, {{L"Default-sRGB", 0x6A}, {L"Device", 0x6C}}, 2, 0x6B,
     {{0x6A, L"Default-sRGB"}, {0x6B, L"Vivid"}}, 2, L"Device"},
    {L"ColorOptions_EdgeControl", {3, 2}, true, {{L"Maximum", 0x60}, {L"Off", 0x5D}, {L"Light", 0x5E}}, 3, 0x5F,
     {{0x60, L"Maximum"}, {0x5D, L"Off"}, {0x5E, L"Light"}}, 3, L"Normal"},
};

const ColourByte QZChromafitTranslator::kBytes797[8] = {{0, 0}, {0, 1}, {1, 0}, {1, 1},
                                                         {2, 0}, {2, 1}, {3, 2}, {3, 3}};
// A 1201 never has (3, 3) written: its page-wide RGB byte would overwrite the three
// per-object sRGB bytes.
const ColourByte QZChromafitTranslator::kBytes1201[10] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 0},
                                                           {2, 1}, {3, 2}, {0, 3}, {1, 3}, {2, 3}};

QZChromafitTranslator::QZChromafitTranslator(GDMCLibrary& library, GDriverObject* driver)
    : FeatureTranslator(library), driver_(driver)
{
}

ColourBytes QZChromafitTranslator::StartingBytes()
{
    ColourBytes bytes{};
    for (const ColourSubFeature& feature : kSubFeatures) {
        uint8_t start = feature.importDefault;
        for (uint8_t row = 0; row < feature.importCount; ++row)
            if (GDMCLibrary::KeywordEquals(feature.imports[row].keyword, L"Default-sRGB"))
                start = feature.imports[row].byte;
        // The "Default-sRGB" export row: the byte that exports that keyword.
        for (uint8_t row = 0; row < feature.exportCount; ++row)
            if (GDMCLibrary::KeywordEquals(feature.exports[row].keyword, L"Default-sRGB"))
                start = feature.exports[row].byte;
        bytes[feature.at] = start;
    }
    return bytes;
}

bool QZChromafitTranslator::ReadOptionBytes(const GChromafitBase& attribute, ColourBytes& bytes)
{
    const ColourByte* list = nullptr;
    size_t count = 0;
    if (attribute.ClassId() == GChromafitEnhancedAttribute::kClassId)
        list = kBytes797, count = 8;
    else if (attribute.ClassId() == GChromafitEnhancedAttributeVer2::kClassId)
        list = kBytes1201, count = 10;
    else
        return false;
    ColourBytes read = bytes;
    for (size_t i = 0; i < count; ++i)
        if (!attribute.GetSetting(list[i].object, list[i].kind, read[list[i]]))
            return false;
    bytes = read;
    return true;
}

bool QZChromafitTranslator::WriteOptionBytes(GChromafitBase& attribute, const ColourBytes& bytes)
{
    const ColourByte* list = nullptr;
    size_t count = 0;
    if (attribute.ClassId() == GChromafitEnhancedAttribute::kClassId)
        list = kBytes797, count = 8;
    else if (attribute.ClassId() == GChromafitEnhancedAttributeVer2::kClassId)
        list = kBytes1201, count = 10;
    else
        return false;
    for (size_t i = 0; i < count; ++i)
        if (!attribute.SetSetting(list[i].object, list[i].kind, bytes.byte[list[i].object][list[i].kind]))
            return false;
    return true;
}

void QZChromafitTranslator::SubFeaturePath(const ColourSubFeature& feature, wchar_t* path, size_t capacity)
{
    std::swprintf(path, capacity, L"%ls%ls", kSubFeaturePrefix, feature.name);
}

GChromafitBase* QZChromafitTranslator::FindAttributeOfColour() const
{
    if (GChromafitBase* found = RGBColorTranslator::FindColourMember(settings_, GChromafitEnhancedAttribute::kClassId))
        return found;
    return RGBColorTranslator::FindColourMember(settings_, GChromafitEnhancedAttributeVer2::kClassId);
}

int32_t QZChromafitTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    settings_ = settings;
    changes_ = changes;
    FeatureSetting mode = FindAttribute(kDescription, settings);
    if (!mode)
        return 0;
    std::vector<wchar_t> keyword = Buffer(kDescription.bufferChars);
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, keyword.data(), keyword.size());
    if (!GDMCLibrary::KeywordEquals(keyword.data(), kOptions[0].keyword) || !ReadManualOptions())
        return 0;
    mode->SetValue(kManual);
    if (changes)
        changes->Add(mode->Copy());
    return 1;
}

int32_t QZChromafitTranslator::ReadManualOptions()
{
    GChromafitBase* colour = FindAttributeOfColour();
    ColourBytes working = StartingBytes();
    if (!colour || !ReadOptionBytes(*colour, working))
        return 0;
    bool complete = true;
    wchar_t path[96];
    for (const ColourSubFeature& feature : kSubFeatures) {
        std::vector<wchar_t> keyword = Buffer(kKeywordChars128);
        SubFeaturePath(feature, path, sizeof path / sizeof path[0]);
        if (!Library().SetContext(path)) {
            if (feature.required)
                complete = false;
            continue;
        }
        Library().Get(nullptr, keyword.data(), keyword.size());
        uint8_t byte = feature.importDefault;
        for (uint8_t row = 0; row < feature.importCount; ++row)
            if (GDMCLibrary::KeywordEquals(keyword.data(), feature.imports[row].keyword)) {
                byte = feature.imports[row].byte;
                break;
            }
        working[feature.at] = byte;
    }
    if (!complete)
        return 0;
    if (!WriteOptionBytes(*colour, working))
        return 0;
    if (IsSameAsConfigured(colour))
        return 0;
    if (changes_)
        changes_->Add(colour->Copy());
    return 1;
}

bool QZChromafitTranslator::IsSameAsConfigured(const GChromafitBase* attribute) const
{
    GConfiguration* configuration = driver_ ? driver_->GetPrinterConfiguration() : nullptr;
    GObjectBase* configured = configuration ? configuration->FindById(FeatureId::kColourAdjustment) : nullptr;
    if (!attribute || !configured || !GChromafitBase::IsChromafit(configured))
        return false;
    if (attribute->ClassId() != GChromafitEnhancedAttribute::kClassId &&
        attribute->ClassId() != GChromafitEnhancedAttributeVer2::kClassId)
        return false;
    return attribute->IsSameContent(configured);
}

int32_t QZChromafitTranslator::FromAttributes(GObjectBase* settings)
{
    settings_ = settings;
    FeatureSetting mode = FindAttribute(kDescription, settings);
    if (!mode)
        return 0;
    if (mode->GetValue() != kManual) {
        Library().SetExport(kDescription.featurePath, kAutomatic);
        return 1;
    }
    Library().SetExport(kDescription.featurePath, kOptions[0].keyword);
    WriteManualOptions();
    return 1;
}

int32_t QZChromafitTranslator::WriteManualOptions()
{
    GChromafitBase* colour = FindAttributeOfColour();
    ColourBytes working = StartingBytes();
    if (!colour || !ReadOptionBytes(*colour, working))
        return 0;
    int32_t result = 0;
    wchar_t path[96];
    for (const ColourSubFeature& feature : kSubFeatures) {
        const uint8_t byte = working[feature.at];
        const wchar_t* keyword = feature.exportDefault;
        for (uint8_t row = 0; row < feature.exportCount; ++row)
            if (feature.exports[row].byte == byte) {
                keyword = feature.exports[row].keyword;
                break;
            }
        SubFeaturePath(feature, path, sizeof path / sizeof path[0]);
        result = Library().SetExport(path, keyword) ? 1 : 0;
    }
    return result;
}
