#include "settings/translators/ScannerChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 918};
const TranslatorOption kOptions[] = {
    {0, L"NotInstalled"}, {1, L"Installed"},
};

} // namespace

const TranslatorDescription ScannerChoiceTranslator::kDescription = {
    L"physical/ScannerChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
