#include "settings/translators/RasterizationChoiceTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 255};
const TranslatorOption kOptions[] = {
    {0, L"RasterizationAuto"}, {1, L"RasterizationVector"}, {2, L"RasterizationGRaster"}, {3, L"RasterizationRaster"},
};

} // namespace

const TranslatorDescription RasterizationChoiceTranslator::kDescription = {
    L"printing/RasterizationChoice", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
