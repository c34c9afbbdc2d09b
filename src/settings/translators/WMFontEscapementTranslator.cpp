#include "settings/translators/WMFontEscapementTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <cstdio>
#include <vector>

namespace {

const uint32_t kIdPath[] = {364, 379, 393};
const TranslatorOption kOptions[] = {
    {0, L"Horizontal"}, {1, L"Diagonal"}, {2, L"Vertical"}, {3, L"TopDiagonal"}, {4, L"Custom"},
};

} // namespace

const TranslatorDescription WMFontEscapementTranslator::kDescription = {
    L"printing/Watermarks/WMFontEscapement", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

const WatermarkDefault WMFontEscapementTranslator::kDefaults[] = {{393, 1}, {394, 0}};

WMFontEscapementTranslator::WMFontEscapementTranslator(GDMCLibrary& library)
    : WatermarkLeafTranslator(library, kDescription, kDefaults, CountOf(kDefaults), false)
{
}

int32_t WMFontEscapementTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    CreateDefaults(settings);
    const TranslatorOption* matched = nullptr;
    const int32_t result = ImportEnumerated(kDescription, settings, changes, &matched);
    if (!matched || matched->value != kCustom)
        return result;
    if (!Library().SetContext(kAnglePath))
        return 0;
    std::vector<wchar_t> buffer(kKeywordChars, wchar_t(0x2020));
    buffer.back() = 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    char narrow[kNumberBytes];
    for (char& c : narrow)
        c = ' ';
    narrow[kNumberBytes - 1] = 0;
    Library().WideToChar(narrow, kNumberBytes, buffer.data());
    const int16_t angle = ParseNumber(narrow, kNumberBytes);
    GValueAttribute* leaf =
        GDriverObject::Feature<GValueAttribute>(FindDefinition(settings), FeatureId::kWatermarkAngle);
    if (angle == 0 || !leaf)
        return 0;
    leaf->SetValue(static_cast<uint16_t>(angle));
    if (changes)
        changes->Add(leaf->Copy());
    return 1;
}

int32_t WMFontEscapementTranslator::FromAttributes(GObjectBase* definition)
{
    const TranslatorDescription leafOnly = LeafOnly();
    const TranslatorOption* exported = nullptr;
    if (!ExportEnumerated(leafOnly, definition, &exported))
        return 0;
    if (exported->value != kCustom)
        return 1;
    GValueAttribute* angle = GDriverObject::Feature<GValueAttribute>(definition, FeatureId::kWatermarkAngle);
    if (!angle)
        return 0;
    char narrow[kNumberBytes] = {};
    std::snprintf(narrow, kNumberBytes, "%u", unsigned(angle->GetValue()));
    wchar_t wide[kNumberBytes] = {};
    Library().CharToWide(wide, kNumberBytes, narrow);
    return Library().SetExport(kAnglePath, wide) ? 1 : 0;
}
