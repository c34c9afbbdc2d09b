#include "settings/translators/ScaleChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 269};

bool InRange(int16_t value)
{
    return value >= ScaleChoiceTranslator::kMinimum && value <= ScaleChoiceTranslator::kMaximum;
}

} // namespace

const TranslatorDescription ScaleChoiceTranslator::kDescription = {
    L"printing/ScaleChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 128,
    TranslatorLock::kNone, 0, false, nullptr, 0, false};

int32_t ScaleChoiceTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    return ImportNumeric(kDescription, settings, changes, InRange);
}
