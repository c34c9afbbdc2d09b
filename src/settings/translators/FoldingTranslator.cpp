#include "settings/translators/FoldingTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"

namespace {

const uint32_t kIdPath[] = {362, 1209};
// "TriFoldOutward " keeps its trailing blank: the configuration writes it so.
const TranslatorOption kOptions[] = {
    {0, L"None"},           {1, L"TriFoldInward"}, {2, L"TriFoldOutward "}, {4, L"HalfFoldInward"},
    {5, L"HalfFoldOutward"}, {3, L"ZFold"},         {6, L"FoldAndStitch"},
};

} // namespace

const TranslatorDescription FoldingTranslator::kDescription = {
    L"printing/Folding", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t FoldingTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    const TranslatorOption* matched = nullptr;
    const int32_t result = ImportEnumerated(kDescription, settings, changes, &matched);
    if (!matched)
        return result;
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    if (GValueAttribute* unit = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kFoldingUnit))
        unit->SetValue(kFoldingUnitActive);
    return result;
}
