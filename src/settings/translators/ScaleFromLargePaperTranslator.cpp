#include "settings/translators/ScaleFromLargePaperTranslator.h"

#include "model/GValueAttribute.h"
#include "settings/dmc/GDMCLibrary.h"

#include <vector>

namespace {

const uint32_t kIdPath[] = {365, 915};
// The export's two words; the import knows only the first.
const TranslatorOption kOptions[] = {
    {1, L"TRUE"},
    {0, L"FALSE"},
};

} // namespace

const TranslatorDescription ScaleFromLargePaperTranslator::kDescription = {
    L"physical/ScaleFromLargePaper", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t ScaleFromLargePaperTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite*)
{
    FeatureSetting attribute = FindAttribute(kDescription, settings);
    if (!attribute)
        return 0;
    std::vector<wchar_t> buffer(kDescription.bufferChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    attribute->SetValue(GDMCLibrary::KeywordEquals(buffer.data(), kOptions[0].keyword) ? 1 : 0);
    return 1;
}

int32_t ScaleFromLargePaperTranslator::FromAttributes(GObjectBase* settings)
{
    FeatureSetting attribute = FindAttribute(kDescription, settings);
    if (!attribute)
        return 0;
    Library().SetExport(kDescription.featurePath, attribute->GetValue() == 1 ? kOptions[0].keyword : kOptions[1].keyword);
    return 1;
}
