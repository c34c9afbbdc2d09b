#include "settings/translators/BookletPrintingChoiceTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"

namespace {

const uint32_t kIdPath[] = {362, 279};
const TranslatorOption kOptions[] = {{0, L"OFF"}, {1, L"LeftEdge"}, {2, L"RightEdge"}};
const uint16_t kOneUp = 1;

} // namespace

const TranslatorDescription BookletPrintingChoiceTranslator::kDescription = {
    L"printing/BookletPrintingChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t BookletPrintingChoiceTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    const int32_t result = ImportEnumerated(kDescription, settings, changes);
    FeatureSetting booklet = FindAttribute(kDescription, settings);
    if (!booklet || booklet->GetValue() == 0)
        return result;
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kJobSettings);
    GValueAttribute* nUp = GDriverObject::Feature<GValueAttribute>(job, FeatureId::kNUpPages);
    if (!nUp || nUp->GetValue() == kOneUp)
        return result;
    nUp->SetValue(kOneUp);
    // A record of n-up already in the list follows; none is added.
    if (GValueAttribute* record = GDriverObject::Feature<GValueAttribute>(changes, FeatureId::kNUpPages))
        record->SetValue(kOneUp);
    return result;
}
