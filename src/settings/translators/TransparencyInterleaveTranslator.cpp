#include "settings/translators/TransparencyInterleaveTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 1204};
const TranslatorOption kOptions[] = {
    {0, L"OFF"}, {1, L"BLANK"}, {2, L"PRINTED"},
};

} // namespace

const TranslatorDescription TransparencyInterleaveTranslator::kDescription = {
    L"printing/TransparencyInterleave", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNew, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
