#include "settings/translators/DriverWorkSpaceSettingTranslator.h"

namespace {

const uint32_t kIdPath[] = {365, 202};

bool NotZero(int16_t value) { return value != 0; }

} // namespace

const TranslatorDescription DriverWorkSpaceSettingTranslator::kImport = {
    L"physical/DriverWorkSpaceSetting", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, nullptr, 0, false};
const TranslatorDescription DriverWorkSpaceSettingTranslator::kExport = {
    L"physical/DriverWorkSpaceSetting", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, nullptr, 0, true};

int32_t DriverWorkSpaceSettingTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    return ImportNumeric(kImport, settings, changes, NotZero);
}

int32_t DriverWorkSpaceSettingTranslator::FromAttributes(GObjectBase* settings)
{
    return ExportNumeric(kExport, settings);
}
