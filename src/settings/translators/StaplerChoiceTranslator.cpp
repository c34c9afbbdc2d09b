#include "settings/translators/StaplerChoiceTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/translators/StaplingTranslator.h"

#include <vector>

namespace {

const uint32_t kIdPath[] = {362, 278};
const TranslatorOption kOptions[] = {
    {0, L"FALSE"},
    {1, L"TRUE"},
};

} // namespace

const TranslatorDescription StaplerChoiceTranslator::kDescription = {
    L"printing/StaplerChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNew, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

StaplerChoiceTranslator::StaplerChoiceTranslator(GDMCLibrary& library)
    : FeatureTranslator(library), optionCount_(kDescription.optionCount)
{
}

int32_t StaplerChoiceTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    GValueAttribute* present = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kStaplerPresent);
    if (!present || present->GetValue() == 0)
        return 0;
    FeatureSetting choice = FindAttribute(kDescription, settings);
    if (!choice)
        return 0;
    std::vector<wchar_t> keyword(kDescription.bufferChars, wchar_t(0x2020));
    keyword.back() = 0;
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, keyword.data(), keyword.size());
    bool stitching = false;
    if (Library().SetContext(StaplingTranslator::kDescription.featurePath)) {
        std::vector<wchar_t> stapling(kKeywordChars, wchar_t(0x2020));
        stapling.back() = 0;
        Library().Get(nullptr, stapling.data(), stapling.size());
        stitching = GDMCLibrary::KeywordEquals(stapling.data(), StaplingTranslator::kStitching) != 0;
    }
    int32_t result = 0;
    if (!stitching)
        if (const TranslatorOption* row = FindKeyword(kDescription, keyword.data())) {
            TakeValue(kDescription, choice, row->value, changes);
            result = 1;
        }
    StaplingTranslator(Library()).ToAttributes(settings, changes);
    return result;
}

int32_t StaplerChoiceTranslator::FromAttributes(GObjectBase* settings)
{
    const int32_t result = ExportEnumerated(kDescription, settings);
    StaplingTranslator(Library()).FromAttributes(settings);
    return result;
}
