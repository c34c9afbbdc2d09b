#include "settings/translators/BinderUnitTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 613};
const TranslatorOption kOptions[] = {
    {0, L"NotInstalled"}, {1, L"Installed"},
};

} // namespace

const TranslatorDescription BinderUnitTranslator::kDescription = {
    L"physical/BinderUnit", L"physical/binderunit", kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
