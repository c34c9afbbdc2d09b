#include "settings/translators/ScalePageChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 271};
const TranslatorOption kOptions[] = {
    {0, L"FitWithoutScaling"},
    {1, L"ScaleToFit"},
};

} // namespace

const TranslatorDescription ScalePageChoiceTranslator::kDescription = {
    L"printing/ScalePageChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
