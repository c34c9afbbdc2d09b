#include "settings/translators/DuplexUnitTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 308};
const TranslatorOption kOptions[] = {
    {0, L"NotInstalled"},
    {1, L"Installed"},
};

} // namespace

const TranslatorDescription DuplexUnitTranslator::kDescription = {
    L"physical/DuplexUnit", L"physical/duplexunit", kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
