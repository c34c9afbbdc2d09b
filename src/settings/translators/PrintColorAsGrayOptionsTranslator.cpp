#include "settings/translators/PrintColorAsGrayOptionsTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 410};
const TranslatorOption kOptions[] = {
    {1, L"BlackOnly"},
    {0, L"HighQuality"},
};

} // namespace

const TranslatorDescription PrintColorAsGrayOptionsTranslator::kDescription = {
    L"printing/PrintColorAsGray[TRUE]/PrintColorAsGrayOptions", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
