#include "settings/translators/StaplingTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <cstring>
#include <vector>

namespace {

const uint32_t kIdPath[] = {362, 289};
const TranslatorOption kOptions[] = {
    {0, L"Default"},   {1, L"1parallel"}, {2, L"1diagonal"}, {3, L"2parallel"}, {4, L"3parallel"},
    {5, L"6parallel"}, {1, L"Stitching"}, {8, L"1parallel"}, {9, L"2parallel"}, {7, L"None"},
};
const char kFinisherModel[] = "W1908";

bool HasFinisher(GObjectBase* settings)
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    GStringAttribute* model = GDriverObject::Feature<GStringAttribute>(device, FeatureId::kAccessoryModel);
    if (!model)
        return false;
    const RWCString& code = model->GetString();
    return code.Length() == sizeof kFinisherModel - 1 && std::memcmp(code.Data(), kFinisherModel, code.Length()) == 0;
}

} // namespace

const TranslatorDescription StaplingTranslator::kDescription = {
    L"printing/StaplerChoice/Stapling", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopyAlways, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

const StaplingModelRow StaplingTranslator::kFinisherRows[2] = {
    {L"1parallel", 8},
    {L"2parallel", 9},
};

StaplingTranslator::StaplingTranslator(GDMCLibrary& library)
    : FeatureTranslator(library), optionCount_(kDescription.optionCount)
{
}

int32_t StaplingTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    FeatureSetting stapling = FindAttribute(kDescription, settings);
    if (!stapling)
        return 0;
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kJobSettings);
    std::vector<wchar_t> keyword(kDescription.bufferChars, wchar_t(0x2020));
    keyword.back() = 0;
    if (!Library().SetContext(kDescription.featurePath)) {
        GValueAttribute* choice = GDriverObject::Feature<GValueAttribute>(job, FeatureId::kStaplerChoice);
        if (!choice || choice->GetValue() != 1)
            return 0;
        stapling->SetValue(1);
        if (changes)
            changes->Add(new GValueAttribute(1, FeatureId::kStapling));
        return 1;
    }
    Library().Get(nullptr, keyword.data(), keyword.size());
    FeatureSetting target = stapling;
    if (GDMCLibrary::KeywordEquals(keyword.data(), kStitching)) {
        target = GDriverObject::Feature<GValueAttribute>(job, FeatureId::kStitching);
        if (!target)
            return 0;
    }
    int32_t result = 0;
    if (const TranslatorOption* row = FindKeyword(kDescription, keyword.data())) {
        target->SetValue(row->value);
        result = 1;
    }
    if (HasFinisher(settings))
        for (const StaplingModelRow& row : kFinisherRows)
            if (GDMCLibrary::KeywordEquals(keyword.data(), row.keyword))
                target->SetValue(row.value);
    AddRecord(kDescription, target, changes);
    return result;
}

int32_t StaplingTranslator::FromAttributes(GObjectBase* settings)
{
    FeatureSetting stapling = FindAttribute(kDescription, settings);
    if (!stapling)
        return 0;
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kJobSettings);
    GValueAttribute* stitching = GDriverObject::Feature<GValueAttribute>(job, FeatureId::kStitching);
    if (stitching && stapling->GetValue() == kNone && stitching->GetValue() == 1) {
        Library().SetExport(L"printing/StaplerChoice", L"TRUE");
        Library().SetExport(kDescription.featurePath, kStitching);
        return 1;
    }
    return ExportEnumerated(kDescription, settings);
}
