#include "settings/translators/RetChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 250};
const TranslatorOption kOptions[] = {
    {65535, L"NotSupported"}, {0, L"OFF"}, {1, L"Light"}, {2, L"Medium"}, {3, L"Dark"}, {4, L"ON"}, {65535, L"MinValue"}, {4, L"MaxValue"},
};

} // namespace

const TranslatorDescription RetChoiceTranslator::kDescription = {
    L"printing/RetChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
