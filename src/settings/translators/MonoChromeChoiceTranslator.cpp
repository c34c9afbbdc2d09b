#include "settings/translators/MonoChromeChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 518};
const TranslatorOption kOptions[] = {
    {0, L"OFF"}, {1, L"ON"},
};

} // namespace

const TranslatorDescription MonoChromeChoiceTranslator::kDescription = {
    L"physical/MonoChromeChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 32,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
