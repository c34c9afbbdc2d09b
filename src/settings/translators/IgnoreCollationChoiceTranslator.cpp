#include "settings/translators/IgnoreCollationChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {364, 451};
const TranslatorOption kOptions[] = {
    {0, L"OFF"}, {1, L"ON"},
};

} // namespace

const TranslatorDescription IgnoreCollationChoiceTranslator::kDescription = {
    L"printing/IgnoreCollationChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 64,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
