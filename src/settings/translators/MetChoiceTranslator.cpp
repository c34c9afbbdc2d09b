#include "settings/translators/MetChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 251};
const TranslatorOption kOptions[] = {
    {65535, L"NotSupported"}, {1, L"ON"}, {0, L"OFF"}, {2, L"PageProtOff"}, {3, L"PageProtLetter"}, {4, L"PageProtLegal"}, {5, L"PageProtA4"}, {65535, L"MinValue"}, {5, L"MaxValue"},
};

} // namespace

const TranslatorDescription MetChoiceTranslator::kDescription = {
    L"printing/MetChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
