#include "settings/translators/WMShadeLevelTranslator.h"

namespace {

const uint32_t kIdPath[] = {364, 379, 403};
const TranslatorOption kOptions[] = {
    {232, L"Lightest Color"},
    {255, L"Lightest"},
    {224, L"VeryLight"},
    {192, L"Light"},
    {160, L"MediumLight"},
    {128, L"Medium"},
    {96, L"MediumDark"},
    {64, L"Dark"},
    {32, L"VeryDark"},
    {0, L"Darkest"},
};

} // namespace

const TranslatorDescription WMShadeLevelTranslator::kDescription = {
    L"printing/Watermarks/WMShadeLevel", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

const WatermarkDefault WMShadeLevelTranslator::kDefaults[] = {{403, 224}};

WMShadeLevelTranslator::WMShadeLevelTranslator(GDMCLibrary& library)
    : WatermarkLeafTranslator(library, kDescription, kDefaults, CountOf(kDefaults), false)
{
}
