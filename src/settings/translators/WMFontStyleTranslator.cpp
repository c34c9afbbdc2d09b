#include "settings/translators/WMFontStyleTranslator.h"

namespace {

const uint32_t kIdPath[] = {364, 379, 388};
const TranslatorOption kOptions[] = {
    {0, L"Regular"},
    {1, L"Bold"},
    {2, L"Italic"},
    {3, L"BoldItalic"},
    {4, L"Underline"},
    {8, L"Strikeout"},
};

} // namespace

const TranslatorDescription WMFontStyleTranslator::kDescription = {
    L"printing/Watermarks/WMFontStyle", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

const WatermarkDefault WMFontStyleTranslator::kDefaults[] = {{388, 0}};

WMFontStyleTranslator::WMFontStyleTranslator(GDMCLibrary& library)
    : WatermarkLeafTranslator(library, kDescription, kDefaults, CountOf(kDefaults), false)
{
}
