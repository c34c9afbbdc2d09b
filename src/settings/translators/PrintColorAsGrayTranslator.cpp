#include "settings/translators/PrintColorAsGrayTranslator.h"

#include "model/GValueAttribute.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/translators/PrintColorAsGrayOptionsTranslator.h"

#include <vector>

namespace {

const uint32_t kIdPath[] = {364, 296};
const TranslatorOption kOptions[] = {
    {0, L"Disable"},
    {1, L"Enable"},
    {0, L"FALSE"},
    {1, L"TRUE"},
};

} // namespace

const TranslatorDescription PrintColorAsGrayTranslator::kDescription = {
    L"printing/PrintColorAsGray", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNew, 255,
    TranslatorLock::kNonZero, 296, true, kOptions, CountOf(kOptions), false};

PrintColorAsGrayTranslator::PrintColorAsGrayTranslator(GDMCLibrary& library)
    : FeatureTranslator(library), optionCount_(kDescription.optionCount)
{
}

int32_t PrintColorAsGrayTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    FeatureSetting grey = FindAttribute(kDescription, settings);
    if (!grey)
        return 0;
    std::vector<wchar_t> keyword(kDescription.bufferChars, wchar_t(0x2020));
    keyword.back() = 0;
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, keyword.data(), keyword.size());
    int32_t result = 0;
    if (const TranslatorOption* row = FindKeyword(kDescription, keyword.data())) {
        TakeValue(kDescription, grey, row->value, changes);
        result = 1;
    }
    if (grey->GetValue() == 1 && PrintColorAsGrayOptionsTranslator(Library()).ToAttributes(settings, changes))
        result = 1;
    ApplyLock(kDescription, settings);
    return result;
}

int32_t PrintColorAsGrayTranslator::FromAttributes(GObjectBase* settings)
{
    int32_t result = ExportEnumerated(kDescription, settings);
    if (PrintColorAsGrayOptionsTranslator(Library()).FromAttributes(settings))
        result = 1;
    return result;
}
