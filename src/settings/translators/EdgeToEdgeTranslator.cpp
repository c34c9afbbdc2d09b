#include "settings/translators/EdgeToEdgeTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 442};
const TranslatorOption kOptions[] = {
    {65535, L"NotSupported"}, {2, L"Supported"}, {0, L"OFF"}, {1, L"ON"},
};

} // namespace

const TranslatorDescription EdgeToEdgeTranslator::kDescription = {
    L"printing/EdgeToEdge", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
