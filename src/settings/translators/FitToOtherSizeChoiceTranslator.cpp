#include "settings/translators/FitToOtherSizeChoiceTranslator.h"

#include "settings/translators/PaperSizeTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 270};
const TranslatorOption kOptions[] = {{0, L"PrintActualSize"}, {1, L"FitToOtherSize"}};
const uint32_t kTargetMode = 1;

} // namespace

const TranslatorDescription FitToOtherSizeChoiceTranslator::kDescription = {
    L"printing/FitToOtherSizeChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t FitToOtherSizeChoiceTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    const TranslatorOption* matched = nullptr;
    const int32_t result = ImportEnumerated(kDescription, settings, changes, &matched);
    if (matched && matched->value == kFitToOtherSize)
        PaperSizeTranslator(Library(), driver_, kTargetMode).ToAttributes(settings, changes);
    return result;
}

int32_t FitToOtherSizeChoiceTranslator::FromAttributes(GObjectBase* settings)
{
    const TranslatorOption* exported = nullptr;
    if (!ExportEnumerated(kDescription, settings, &exported))
        return 0;
    if (exported->value == kFitToOtherSize)
        PaperSizeTranslator(Library(), driver_, kTargetMode).FromAttributes(settings);
    return 1;
}
