#include "settings/translators/QZSymmetricalMarginsTranslator.h"

#include "model/GValueAttribute.h"
#include "settings/dmc/GDMCLibrary.h"

#include <vector>

namespace {

const uint32_t kIdPath[] = {362, 713};
const TranslatorOption kOptions[] = {{0, L"FALSE"}, {1, L"TRUE"}};

} // namespace

const TranslatorDescription QZSymmetricalMarginsTranslator::kDescription = {
    L"printing/QZSymmetricalMargins", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t QZSymmetricalMarginsTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    std::vector<wchar_t> buffer(kDescription.bufferChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    GValueAttribute* attribute = FindAttribute(kDescription, settings);
    if (!attribute)
        return 0;
    const TranslatorOption* row = FindKeyword(kDescription, buffer.data());
    if (!row)
        return 0;
    TakeValue(kDescription, attribute, row->value, changes);
    return 1;
}
