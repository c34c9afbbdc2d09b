#include "settings/translators/JobRetentionModeChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 287};
const TranslatorOption kOptions[] = {
    {65535, L"NotSupported"}, {0, L"OFF"}, {1, L"QuickCopy"}, {2, L"ProofNHold"}, {3, L"StoreJob"}, {4, L"PrivatePrint"},
};

} // namespace

const TranslatorDescription JobRetentionModeChoiceTranslator::kDescription = {
    L"printing/JobRetentionModeChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
