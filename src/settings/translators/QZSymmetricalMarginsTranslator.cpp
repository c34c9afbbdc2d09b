#include "settings/translators/QZSymmetricalMarginsTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 713};
const TranslatorOption kOptions[] = {{0, L"FALSE"}, {1, L"TRUE"}};

} // namespace

const TranslatorDescription QZSymmetricalMarginsTranslator::kDescription = {
    L"printing/QZSymmetricalMargins", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t QZSymmetricalMarginsTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    return ImportKeywordFirst(kDescription, settings, changes);
}
