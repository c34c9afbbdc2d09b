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

int32_t StaplerChoiceTranslator::Ahead(GObjectBase* settings, Direction direction)
{
    if (direction != kToAttributes)
        return kGoOn;
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    GValueAttribute* present = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kStaplerPresent);
    return present && present->GetValue() != 0 ? kGoOn : 0;
}

const TranslatorOption* StaplerChoiceTranslator::ChooseRow(const TranslatorDescription& description,
                                                           const wchar_t* keyword)
{
    if (Library().SetContext(StaplingTranslator::kDescription.featurePath)) {
        std::vector<wchar_t> stapling(kKeywordChars, wchar_t(0x2020));
        stapling.back() = 0;
        Library().Get(nullptr, stapling.data(), stapling.size());
        if (GDMCLibrary::KeywordEquals(stapling.data(), StaplingTranslator::kStitching))
            return nullptr;
    }
    return FindKeyword(description, keyword);
}

int32_t StaplerChoiceTranslator::AfterScan(const TranslatorDescription&, GObjectBase* settings,
                                           GAttributeComposite* changes, FeatureSetting, const wchar_t*)
{
    StaplingTranslator(Library()).ToAttributes(settings, changes);
    return 0;
}

int32_t StaplerChoiceTranslator::AfterExport(GObjectBase* settings, int32_t exported)
{
    StaplingTranslator(Library()).FromAttributes(settings);
    return exported;
}
