#include "settings/translators/CopiesTranslator.h"

namespace {

const uint32_t kIdPath[] = {364, 291};

bool NotZero(int16_t value) { return value != 0; }

} // namespace

const TranslatorDescription CopiesTranslator::kDescription = {
    L"printing/Copies", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, nullptr, 0, false};

int32_t CopiesTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    return ImportNumeric(kDescription, settings, changes, NotZero);
}
