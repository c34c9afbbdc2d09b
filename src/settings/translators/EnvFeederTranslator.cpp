#include "settings/translators/EnvFeederTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 275};
const TranslatorOption kOptions[] = {
    {0, L"NotInstalled"},
    {1, L"Installed"},
};

} // namespace

const TranslatorDescription EnvFeederTranslator::kDescription = {
    L"physical/EnvFeeder", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
