#include "settings/translators/CollationUnitTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 310};
const TranslatorOption kOptions[] = {
    {0, L"FALSE"}, {1, L"TRUE"},
};

} // namespace

const TranslatorDescription CollationUnitTranslator::kDescription = {
    L"physical/CollationUnit", L"physical/CollationUnitSetting", kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
