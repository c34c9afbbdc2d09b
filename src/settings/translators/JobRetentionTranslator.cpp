#include "settings/translators/JobRetentionTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 520};
const TranslatorOption kOptions[] = {
    {0, L"Disabled"},
    {1, L"Enabled"},
};

} // namespace

const TranslatorDescription JobRetentionTranslator::kDescription = {
    L"physical/JobRetention", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 32,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
