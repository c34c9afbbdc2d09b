#include "settings/translators/WMColorTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <vector>

namespace {

const uint32_t kIdPath[] = {364, 379, 398};

GValueAttribute* Leaf(GObjectBase* holder, long id) { return GDriverObject::Feature<GValueAttribute>(holder, id); }

} // namespace

const TranslatorDescription WMColorTranslator::kDescription = {
    L"printing/Watermarks/WMColor", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, nullptr, 0, false};

const WatermarkDefault WMColorTranslator::kDefaults[] = {{399, 224}, {400, 224}};

const WatermarkColour WMColorTranslator::kColours[] = {
    {0xFFFFFF, L"Gray"},  {0x0000FF, L"Red"},  {0x00FFFF, L"Yellow"},  {0xFF0000, L"Blue"},
    {0x00FF00, L"Green"}, {0xFFFF00, L"Cyan"}, {0xFF00FF, L"Magenta"},
};
const uint16_t WMColorTranslator::kColourCount = CountOf(kColours);

WMColorTranslator::WMColorTranslator(GDMCLibrary& library)
    : WatermarkLeafTranslator(library, kDescription, kDefaults, CountOf(kDefaults), false)
{
}

int32_t WMColorTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    CreateDefaults(settings);
    GAttributeComposite* definition = FindDefinition(settings);
    if (!definition)
        return 0;
    std::vector<wchar_t> buffer(kDescription.bufferChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    for (const WatermarkColour& row : kColours) {
        if (!GDMCLibrary::KeywordEquals(row.keyword, buffer.data()))
            continue;
        // A definition without the red leaf keeps the other two bytes only.
        const struct {
            uint16_t id;
            int shift;
        } bytes[] = {{FeatureId::kWatermarkRed, 0}, {FeatureId::kWatermarkGreen, 8}, {FeatureId::kWatermarkBlue, 16}};
        for (const auto& byte : bytes) {
            if (GValueAttribute* leaf = Leaf(definition, byte.id)) {
                leaf->SetValue(static_cast<uint16_t>((row.colour >> byte.shift) & 0xFF));
                if (changes)
                    changes->Add(leaf->Copy());
            }
        }
        return 1;
    }
    return 0;
}

int32_t WMColorTranslator::FromAttributes(GObjectBase* definition)
{
    GValueAttribute* red = Leaf(definition, FeatureId::kWatermarkRed);
    GValueAttribute* green = Leaf(definition, FeatureId::kWatermarkGreen);
    GValueAttribute* blue = Leaf(definition, FeatureId::kWatermarkBlue);
    if (!red || !green)
        return 0;
    const uint32_t colour = (uint32_t(blue ? blue->GetValue() : 0) << 16) + (uint32_t(green->GetValue()) << 8) +
                            red->GetValue();
    for (const WatermarkColour& row : kColours) {
        if (row.colour == colour) {
            Library().SetExport(kDescription.featurePath, row.keyword);
            return 1;
        }
    }
    return 0;
}
