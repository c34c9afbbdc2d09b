#include "settings/translators/BackCoverChoiceTranslator.h"

#include "settings/translators/InputBinTranslator.h"
#include "settings/translators/MediaTypeTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 920};
const TranslatorOption kOptions[] = {{0, L"NoBackPage"}, {1, L"UseFirstPage"}, {2, L"UseAlternateSource"}};
const uint32_t kBackCoverMode = 2;

} // namespace

const TranslatorDescription BackCoverChoiceTranslator::kDescription = {
    L"printing/UseDiffFirstPageChoice/BackCoverChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy,
    255, TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t BackCoverChoiceTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    const TranslatorOption* matched = nullptr;
    const int32_t result = ImportEnumerated(kDescription, settings, changes, &matched);
    if (matched && matched->value == kUseAlternateSource) {
        MediaTypeTranslator(Library(), kBackCoverMode).ToAttributes(settings, changes);
        InputBinTranslator(Library(), driver_, kBackCoverMode).ToAttributes(settings, changes);
    }
    return result;
}

int32_t BackCoverChoiceTranslator::FromAttributes(GObjectBase* settings)
{
    const TranslatorOption* exported = nullptr;
    if (!ExportEnumerated(kDescription, settings, &exported))
        return 0;
    if (exported->value == kUseAlternateSource) {
        MediaTypeTranslator(Library(), kBackCoverMode).FromAttributes(settings);
        InputBinTranslator(Library(), driver_, kBackCoverMode).FromAttributes(settings);
    }
    return 1;
}
