#include "settings/translators/DryTimeTranslator.h"

#include "model/GValueAttribute.h"
#include "settings/dmc/GDMCLibrary.h"

#include <cstdio>
#include <vector>

namespace {

const uint32_t kIdPath[] = {362, 1133};

uint16_t StepOf(int16_t number)
{
    for (const DryTimeStep& step : DryTimeTranslator::kSteps)
        if (step.number == number)
            return step.value;
    return DryTimeTranslator::kZeroStep;
}

int16_t NumberOf(uint16_t value)
{
    for (const DryTimeStep& step : DryTimeTranslator::kSteps)
        if (step.value == value)
            return step.number;
    return 0;
}

} // namespace

const DryTimeStep DryTimeTranslator::kSteps[10] = {
    {-15, 1}, {-10, 2}, {-5, 3}, {0, 4}, {5, 5}, {10, 6}, {15, 7}, {20, 8}, {25, 9}, {30, 10},
};

const TranslatorDescription DryTimeTranslator::kDescription = {
    L"printing/DryTime", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, nullptr, 0, false};

int32_t DryTimeTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    FeatureSetting attribute = FindAttribute(kDescription, settings);
    if (!attribute)
        return 0;
    std::vector<wchar_t> buffer(kDescription.bufferChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    char narrow[kNumberBytes];
    for (char& c : narrow)
        c = ' ';
    narrow[kNumberBytes - 1] = 0;
    Library().WideToChar(narrow, kNumberBytes, buffer.data());
    // The numeric routine's parse: saturating, so no digit string overflows.
    const uint16_t step = StepOf(ParseNumber(narrow, kNumberBytes));
    if (step == kZeroStep)
        return 0;
    TakeValue(kDescription, attribute, step, changes);
    return 1;
}

int32_t DryTimeTranslator::FromAttributes(GObjectBase* settings)
{
    FeatureSetting attribute = FindAttribute(kDescription, settings);
    if (!attribute)
        return 0;
    char narrow[kNumberBytes] = {};
    std::snprintf(narrow, kNumberBytes, "%d", int(NumberOf(attribute->GetValue())));
    wchar_t wide[kNumberBytes] = {};
    Library().CharToWide(wide, kNumberBytes, narrow);
    return Library().SetExport(kDescription.featurePath, wide) ? 1 : 0;
}
