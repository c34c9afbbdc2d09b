#include "settings/translators/UseDiffFirstPageChoiceTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "printer/GDriverObject.h"
#include "settings/translators/BackCoverChoiceTranslator.h"
#include "settings/translators/InputBinTranslator.h"
#include "settings/translators/MediaTypeTranslator.h"

namespace {

const uint32_t kIdPath[] = {364, 264};
const TranslatorOption kOptions[] = {{0, L"SameFirstPage"}, {1, L"DifferentFirstPage"}};

} // namespace

const TranslatorDescription UseDiffFirstPageChoiceTranslator::kDescription = {
    L"printing/UseDiffFirstPageChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t UseDiffFirstPageChoiceTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    const TranslatorOption* matched = nullptr;
    const int32_t result = ImportEnumerated(kDescription, settings, changes, &matched);
    if (matched && matched->value == kDifferentFirstPage) {
        MediaTypeTranslator(Library(), kRestMode).ToAttributes(settings, changes);
        InputBinTranslator(Library(), driver_, kRestMode).ToAttributes(settings, changes);
        BackCoverChoiceTranslator(Library(), driver_).ToAttributes(settings, changes);
    }
    return result;
}

int32_t UseDiffFirstPageChoiceTranslator::FromAttributes(GObjectBase* settings)
{
    const TranslatorOption* exported = nullptr;
    if (!ExportEnumerated(kDescription, settings, &exported))
        return 0;
    if (exported->value == kDifferentFirstPage) {
        GAttributeComposite* document =
            GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDocumentSettings);
        MediaTypeTranslator(Library(), kRestMode).FromAttributes(document);
        InputBinTranslator(Library(), driver_, kRestMode).FromAttributes(document);
        BackCoverChoiceTranslator(Library(), driver_).FromAttributes(settings);
    }
    return 1;
}
