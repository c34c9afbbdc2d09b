#include "settings/translators/EconoModeTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 252};
const TranslatorOption kOptions[] = {
    {0, L"FALSE"},
    {1, L"TRUE"},
};

} // namespace

const TranslatorDescription EconoModeTranslator::kDescription = {
    L"printing/EconoMode", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
