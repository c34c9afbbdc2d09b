#include "settings/translators/WMFirstPageOnlyTranslator.h"

namespace {

const uint32_t kIdPath[] = {364, 379, 382};
const TranslatorOption kOptions[] = {
    {2, L"NoPages"},
    {0, L"AllPages"},
    {1, L"FirstPageOnly"},
};

} // namespace

const TranslatorDescription WMFirstPageOnlyTranslator::kDescription = {
    L"printing/Watermarks/WMFirstPageOnly", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

const WatermarkDefault WMFirstPageOnlyTranslator::kDefaults[] = {{382, 2}};

WMFirstPageOnlyTranslator::WMFirstPageOnlyTranslator(GDMCLibrary& library)
    : WatermarkLeafTranslator(library, kDescription, kDefaults, CountOf(kDefaults), true)
{
}
