#include "settings/translators/PatternScalingChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 277};
const TranslatorOption kOptions[] = {
    {0, L"NeverScalePatterns"}, {1, L"AlwaysScalePatterns"},
};

} // namespace

const TranslatorDescription PatternScalingChoiceTranslator::kDescription = {
    L"printing/PatternScalingChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
