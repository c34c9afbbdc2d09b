#include "settings/translators/StaplingPositionTranslator.h"

namespace {

const uint32_t kIdPath[] = {362, 1200};
const TranslatorOption kOptions[] = {
    {0, L"None"},
    {10, L"1left"},
    {11, L"2left"},
    {12, L"1right"},
    {13, L"2right"},
    {14, L"2top"},
    {1, L"1parallel"},
    {2, L"1diagonal"},
    {3, L"2parallel"},
    {4, L"3parallel"},
    {5, L"6parallel"},
    {6, L"FoldAndStitch"},
};

} // namespace

const TranslatorDescription StaplingPositionTranslator::kDescription = {
    L"printing/Stapling", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};
