#include "settings/translators/ManualDuplexTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 245};
const TranslatorOption kOptions[] = {
    {0, L"Disabled"}, {3, L"Enabled"},
};

} // namespace

const TranslatorDescription ManualDuplexTranslator::kDescription = {
    L"physical/ManualDuplex", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
