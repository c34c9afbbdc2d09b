#include "settings/translators/QZImageShiftTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 1202};
const TranslatorOption kOptions[] = {
    {1, L"Installed"}, {0, L"NotInstalled"},
};

} // namespace

const TranslatorDescription QZImageShiftTranslator::kDescription = {
    L"printing/QZImageShift", L"printing/PunchChoice", kIdPath, CountOf(kIdPath), TranslatorRecord::kNew, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
