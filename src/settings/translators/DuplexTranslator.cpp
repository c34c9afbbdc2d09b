#include "settings/translators/DuplexTranslator.h"

#include "settings/translators/QZAutoDuplexScalingTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <memory>
#include <vector>

namespace {

const uint32_t kIdPath[] = {362, 253};
const TranslatorOption kOptions[] = {
    {0, L"FALSE"},
    {1, L"ShortEdge"},
    {2, L"LongEdge"},
};
const uint16_t kLongEdge = 2;

} // namespace

const TranslatorDescription DuplexTranslator::kDescription = {
    L"printing/Duplex", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopyAlways, 255,
    TranslatorLock::kNonZero, 253, false, kOptions, CountOf(kOptions), false};

DuplexTranslator::DuplexTranslator(GDMCLibrary& library)
    : FeatureTranslator(library), optionCount_(kDescription.optionCount)
{
}

int32_t DuplexTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    if (!device)
        return 0;
    GValueAttribute* unit = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kDuplexUnit);
    GValueAttribute* fallback = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kDuplexFallback);
    const bool available = (fallback && fallback->GetValue() != 0) || (unit && unit->GetValue() == 1);
    int32_t result = 0;
    if (available) {
        std::vector<wchar_t> keyword(kDescription.bufferChars, wchar_t(0x2020));
        keyword.back() = 0;
        if (!Library().SetContext(kDescription.featurePath))
            return 0;
        Library().Get(nullptr, keyword.data(), keyword.size());
        if (GDMCLibrary::KeywordEquals(keyword.data(), L"TRUE") && Library().SetContext(kEdgePath)) {
            std::fill(keyword.begin(), keyword.end() - 1, wchar_t(0x2020));
            Library().Get(nullptr, keyword.data(), keyword.size());
        }
        FeatureSetting duplex = FindAttribute(kDescription, settings);
        if (!duplex)
            return 0;
        if (const TranslatorOption* row = FindKeyword(kDescription, keyword.data())) {
            duplex->SetValue(row->value);
            result = 1;
        } else if (GDMCLibrary::KeywordEquals(keyword.data(), L"TRUE")) {
            duplex->SetValue(kLongEdge);
        }
        AddRecord(kDescription, duplex, changes);
        if (duplex->GetValue() != 0) {
            GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kJobSettings);
            GValueAttribute* order = GDriverObject::Feature<GValueAttribute>(job, FeatureId::kPageOrder);
            if (order && order->GetValue() == 0) {
                order->SetValue(1);
                if (changes)
                    changes->Add(order->Copy());
            }
            // The automatic duplex scaling follows a two-sided import.
            if (QZAutoDuplexScalingTranslator(Library()).ToAttributes(settings, changes))
                result = 1;
        }
    }
    // A locked duplex counts as taken over, even when the device cannot print two-sided.
    if (ApplyLock(kDescription, settings))
        result = 1;
    return result;
}

int32_t DuplexTranslator::FromAttributes(GObjectBase* settings)
{
    FeatureSetting duplex = FindAttribute(kDescription, settings);
    if (!duplex)
        return 0;
    int32_t result = 0;
    const uint16_t value = duplex->GetValue();
    for (const TranslatorOption& row : kOptions) {
        if (row.value != value)
            continue;
        if (value != 0) {
            Library().SetExport(kDescription.featurePath, L"TRUE");
            Library().SetExport(kEdgePath, row.keyword);
        } else {
            Library().SetExport(kDescription.featurePath, L"FALSE");
        }
        result = 1;
        break;
    }
    if (QZAutoDuplexScalingTranslator(Library()).FromAttributes(settings))
        result = 1;
    return result;
}
