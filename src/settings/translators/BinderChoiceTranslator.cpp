#include "settings/translators/BinderChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 612};
const TranslatorOption kOptions[] = {
    {0, L"DontBindThisJob"}, {1, L"BindThisJob"}, {3, L"BindStacker"},
};

} // namespace

const TranslatorDescription BinderChoiceTranslator::kDescription = {
    L"printing/BinderChoice", L"printing/BindChoice", kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
