#include "settings/translators/NUpChoiceTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/translators/NUpBordersChoiceTranslator.h"
#include "settings/translators/NUpPageOrderChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 266};
const TranslatorOption kOptions[] = {
    {1, L"OneUp"}, {2, L"TwoUp"}, {4, L"FourUp"}, {6, L"SixUp"}, {9, L"NineUp"}, {16, L"SixteenUp"},
};
const uint16_t kOneUp = 1;

} // namespace

const TranslatorDescription NUpChoiceTranslator::kDescription = {
    L"printing/NUpChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t NUpChoiceTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kJobSettings);
    if (!job)
        return 0;
    GValueAttribute* booklet = GDriverObject::Feature<GValueAttribute>(job, FeatureId::kBookletPrinting);
    if (booklet && booklet->GetValue() != 0)
        return 0;
    if (!FindAttribute(kDescription, settings))
        return 0;
    const int32_t result = ImportEnumerated(kDescription, settings, changes);
    NUpPageOrderChoiceTranslator(Library()).ToAttributes(settings, changes);
    NUpBordersChoiceTranslator(Library()).ToAttributes(settings, changes);
    return result;
}

int32_t NUpChoiceTranslator::FromAttributes(GObjectBase* settings)
{
    FeatureSetting attribute = FindAttribute(kDescription, settings);
    const int32_t result = ExportEnumerated(kDescription, settings);
    if (attribute && attribute->GetValue() != kOneUp) {
        NUpPageOrderChoiceTranslator(Library()).FromAttributes(settings);
        NUpBordersChoiceTranslator(Library()).FromAttributes(settings);
    }
    return result;
}
