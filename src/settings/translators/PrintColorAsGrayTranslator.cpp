#include "settings/translators/PrintColorAsGrayTranslator.h"

#include "model/GValueAttribute.h"
#include "settings/translators/PrintColorAsGrayOptionsTranslator.h"

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

int32_t PrintColorAsGrayTranslator::AfterScan(const TranslatorDescription&, GObjectBase* settings,
                                              GAttributeComposite* changes, FeatureSetting grey, const wchar_t*)
{
    return grey->GetValue() == 1 && PrintColorAsGrayOptionsTranslator(Library()).ToAttributes(settings, changes);
}

int32_t PrintColorAsGrayTranslator::AfterExport(GObjectBase* settings, int32_t exported)
{
    return PrintColorAsGrayOptionsTranslator(Library()).FromAttributes(settings) ? 1 : exported;
}
