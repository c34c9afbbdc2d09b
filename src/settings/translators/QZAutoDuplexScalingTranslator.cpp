#include "settings/translators/QZAutoDuplexScalingTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <vector>

namespace {

const uint32_t kIdPath[] = {362, 983};
const TranslatorOption kOptions[] = {{1, L"FALSE"}, {0, L"TRUE"}};
const wchar_t kDuplexPath[] = L"printing/Duplex";

std::vector<wchar_t> Blank(size_t chars)
{
    std::vector<wchar_t> buffer(chars, wchar_t(0x2020));
    buffer.back() = 0;
    return buffer;
}

} // namespace

const TranslatorDescription QZAutoDuplexScalingTranslator::kDescription = {
    L"printing/Duplex/QZAutoDuplexScaling", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t QZAutoDuplexScalingTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    if (!device)
        return 0;
    GValueAttribute* unit = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kDuplexUnit);
    GValueAttribute* manual = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kDuplexFallback);
    const bool duplexPossible = (manual && manual->GetValue() != 0) || (unit && unit->GetValue() == 1);
    if (!duplexPossible)
        return 0;
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kJobSettings);
    GValueAttribute* scaling = GDriverObject::Feature<GValueAttribute>(job, FeatureId::kDuplexMarginsWanted);
    if (!scaling)
        return 0;

    std::vector<wchar_t> buffer = Blank(kDescription.bufferChars);
    if (!Library().SetContext(kDuplexPath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    // Duplex on: the scaling keyword replaces it, unless its context is refused.
    if (GDMCLibrary::KeywordEquals(buffer.data(), L"TRUE") && Library().SetContext(kDescription.featurePath)) {
        buffer = Blank(kDescription.bufferChars);
        Library().Get(nullptr, buffer.data(), buffer.size());
    }
    int32_t result = 0;
    if (const TranslatorOption* row = FindKeyword(kDescription, buffer.data())) {
        TakeValue(kDescription, scaling, row->value, changes);
        result = 1;
    }
    if (scaling->GetValue() == 1) {
        if (GValueAttribute* margins = GDriverObject::Feature<GValueAttribute>(job, FeatureId::kDuplexMargins)) {
            margins->SetValue(1);
            if (changes)
                changes->Add(margins->Copy());
        }
    }
    return result;
}
