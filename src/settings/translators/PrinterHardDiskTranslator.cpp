#include "settings/translators/PrinterHardDiskTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 239};
const TranslatorOption kOptions[] = {
    {0, L"NotInstalled"},
    {1, L"Installed"},
};

} // namespace

const TranslatorDescription PrinterHardDiskTranslator::kDescription = {
    L"physical/PrinterHardDisk", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
