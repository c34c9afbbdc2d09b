#include "settings/translators/BookletTargetSizeTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 280};
const TranslatorOption kOptions[] = {
    {1, L"LETTER"}, {21, L"11X17"}, {6, L"LEGAL"}, {23, L"A4"}, {22, L"A3"}, {39, L"B4_JIS"}, {40, L"B5_JIS"},
};

} // namespace

const TranslatorDescription BookletTargetSizeTranslator::kDescription = {
    L"printing/BookletTargetSize", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
