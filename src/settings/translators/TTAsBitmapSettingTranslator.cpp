#include "settings/translators/TTAsBitmapSettingTranslator.h"

namespace {

const uint32_t kIdPath[] = {364, 293};
const TranslatorOption kOptions[] = {
    {0, L"TTModeOutline"}, {1, L"TTModeBitmap"},
};

} // namespace

const TranslatorDescription TTAsBitmapSettingTranslator::kDescription = {
    L"printing/TTAsBitmapSetting", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNew, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
