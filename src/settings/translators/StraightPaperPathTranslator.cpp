#include "settings/translators/StraightPaperPathTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"

namespace {

const uint32_t kIdPath[] = {362, 905};
const TranslatorOption kOptions[] = {{0, L"OFF"}, {1, L"ON"}};

} // namespace

const TranslatorDescription StraightPaperPathTranslator::kDescription = {
    L"printing/StraightPaperPath", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t StraightPaperPathTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    GValueAttribute* manual = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kDuplexFallback);
    if (!manual || manual->GetValue() == 0)
        return 0;
    return ImportEnumerated(kDescription, settings, changes);
}
