#include "settings/translators/OrientationTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 265};
const TranslatorOption kOptions[] = {
    {0, L"Portrait"},
    {90, L"Landscape"},
    {270, L"RotatedLandscape"},
    {180, L"RotatedPortrait"},
};

} // namespace

const TranslatorDescription OrientationTranslator::kDescription = {
    L"printing/Orientation", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
