#include "settings/translators/PageOrderTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 710};
const TranslatorOption kOptions[] = {
    {0, L"FrontToBack"}, {1, L"BackToFront"},
};

} // namespace

const TranslatorDescription PageOrderTranslator::kDescription = {
    L"printing/PageOrder", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNew, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
