#include "settings/translators/JobRetentionAvailableTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 441};
const TranslatorOption kOptions[] = {
    {0, L"FALSE"},
    {1, L"TRUE"},
};

} // namespace

const TranslatorDescription JobRetentionAvailableTranslator::kDescription = {
    L"physical/JobRetentionAvailable", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 32,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
