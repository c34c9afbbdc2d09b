#include "settings/translators/QZEmulateTXMarginsTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 711};
const TranslatorOption kOptions[] = {{0, L"FALSE"}, {1, L"TRUE"}};

} // namespace

const TranslatorDescription QZEmulateTXMarginsTranslator::kDescription = {
    L"printing/QZEmulateTXMargins", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t QZEmulateTXMarginsTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    return ImportKeywordFirst(kDescription, settings, changes);
}
