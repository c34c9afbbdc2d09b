#include "settings/translators/OutputBinTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <cstring>

namespace {

const uint32_t kIdPath[] = {362, 248};
const TranslatorOption kBins[] = {
    /*  1 */ {1, L"Auto"},
    /*  2 */ {1, L"Top"},
    /*  3 */ {2, L"Left"},
    /*  4 */ {14, L"Stacker-Stapled"},
    /*  5 */ {9, L"Stacker-Stapled"},
    /*  6 */ {3, L"Stacker-Stapled"},
    /*  7 */ {13, L"Stacker"},
    /*  8 */ {15, L"Stacker"},
    /*  9 */ {4, L"Stacker"},
    /* 10 */ {12, L"StackerFaceDown"},
    /* 11 */ {11, L"StackerFaceUp"},
    /* 12 */ {10, L"Booklet"},
    /* 13 */ {62, L"MainBinFaceDown"},
    /* 14 */ {63, L"MainBinFaceUp"},
    /* 15 */ {64, L"UpperBinFaceDown"},
    /* 16 */ {65, L"UpperBinFaceUp"},
    /* 17 */ {60, L"MainBinFaceDown"},
    /* 18 */ {61, L"MainBinFaceUp"},
    /* 19 */ {66, L"UpperBinFaceDown"},
    /* 20 */ {67, L"UpperBinFaceUp"},
    /* 21 */ {16, L"OutputBin1"},
    /* 22 */ {17, L"OutputBin2"},
    /* 23 */ {18, L"OutputBin3"},
};

const char* const kK5930[] = {"K5930", nullptr};
const char* const kW190x[] = {"W1904", "W1905", "W1908", nullptr};
const char* const kW1908[] = {"W1908", nullptr};
const char* const kW1904Or5[] = {"W1904", "W1905", nullptr};
const char* const kK408x[] = {"K4081A", "K4082A", nullptr};
const char* const kAny[] = {nullptr};

// The model code compared exactly, over its whole length; an empty list takes any model.
bool ModelIn(const char* model, size_t length, const char* const* models)
{
    if (!models[0])
        return true;
    for (; *models; ++models)
        if (std::strlen(*models) == length && std::memcmp(*models, model, length) == 0)
            return true;
    return false;
}

} // namespace

const OutputBinRule OutputBinTranslator::kRules[] = {
    {L"Stacker", kK5930, 15},
    {L"Stacker", kW190x, 4},
    {L"Stacker-Stapled", kW1908, 9},
    {L"Stacker-Stapled", kW1904Or5, 3},
    {L"MainBinFaceDown", kK408x, 62},
    {L"MainBinFaceDown", kAny, 60},
    {L"MainBinFaceUp", kK408x, 63},
    {L"MainBinFaceUp", kAny, 61},
    {L"UpperBinFaceDown", kK408x, 66},
    {L"UpperBinFaceDown", kAny, 64},
    {L"UpperBinFaceUp", kK408x, 67},
    {L"UpperBinFaceUp", kAny, 65},
};
const uint16_t OutputBinTranslator::kRuleCount = CountOf(OutputBinTranslator::kRules);

const TranslatorDescription OutputBinTranslator::kDescription = {
    L"printing/OutputBin", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopyAlways, 255,
    TranslatorLock::kExactlyOne, 248, false, kBins, CountOf(kBins), false};

// Handled by the helper, an import still asks for the lock.
int32_t OutputBinTranslator::Ahead(GObjectBase* settings, Direction direction)
{
    if (Library().CallHelper(kHelperFeature, this, direction, 0) == 0)
        return kGoOn;
    if (direction == kToAttributes)
        ApplyLock(kDescription, settings);
    return 1;
}

int32_t OutputBinTranslator::AfterScan(const TranslatorDescription&, GObjectBase* settings, GAttributeComposite*,
                                       FeatureSetting bin, const wchar_t* keyword)
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    if (GStringAttribute* model = GDriverObject::Feature<GStringAttribute>(device, FeatureId::kAccessoryModel)) {
        const RWCString& code = model->GetString();
        for (const OutputBinRule& rule : kRules) {
            if (GDMCLibrary::KeywordEquals(keyword, rule.keyword) && ModelIn(code.Data(), code.Length(), rule.models)) {
                bin->SetValue(rule.value);
                break;
            }
        }
    }
    return 0;
}
