#include "settings/translators/NUpBordersChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 267};
const TranslatorOption kOptions[] = {
    {0, L"NoBorders"},
    {1, L"PrintBorders"},
};

} // namespace

const TranslatorDescription NUpBordersChoiceTranslator::kDescription = {
    L"printing/NUpChoice/NUpBordersChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
