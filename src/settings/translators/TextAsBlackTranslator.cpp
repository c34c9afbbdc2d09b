#include "settings/translators/TextAsBlackTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 585};
const TranslatorOption kOptions[] = {
    {0, L"FALSE"},
    {1, L"TRUE"},
};

} // namespace

const TranslatorDescription TextAsBlackTranslator::kDescription = {
    L"printing/TextAsBlack", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNew, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), true};
