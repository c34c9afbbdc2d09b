#include "settings/translators/DeviceIsZadidiTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 310};
const TranslatorOption kOptions[] = {
    {1, L"Installed"},
    {0, L"NotInstalled"},
};

} // namespace

const TranslatorDescription DeviceIsZadidiTranslator::kDescription = {
    L"physical/DeviceIsZadidi", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 32,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
