#include "settings/translators/PunchingTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 1201};
const TranslatorOption kOptions[] = {
    {0, L"none"}, {1, L"Left"}, {2, L"Right"}, {3, L"Top"},
};

} // namespace

const TranslatorDescription PunchingTranslator::kDescription = {
    L"printing/Punching", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNew, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
