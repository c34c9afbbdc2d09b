#include "settings/translators/NUpPageOrderChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 268};
const TranslatorOption kOptions[] = {
    {0, L"RightThenDown"},
    {1, L"DownThenRight"},
    {2, L"LeftThenDown"},
    {3, L"DownThenLeft"},
};

} // namespace

const TranslatorDescription NUpPageOrderChoiceTranslator::kDescription = {
    L"printing/NUpChoice/NUpPageOrderChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
