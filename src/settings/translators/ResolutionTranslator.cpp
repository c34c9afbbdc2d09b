#include "settings/translators/ResolutionTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <vector>

namespace {

// The x resolution's path; the node also holds 324 and 325.
const uint32_t kIdPath[] = {362, 249, 323};
const TranslatorOption kOptions[] = {
    {2, L"600dpi"},          {3, L"300dpi"},          {0, L"SOLVANE_1200"},   {1, L"MIRVEL_1200"},
    {4, L"MIRVEL_1200_141"}, {5, L"MIRVEL_1200_180"}, {6, L"MIRVEL_1200_212"},
};

struct ResolutionMembers {
    GValueAttribute* x = nullptr;
    GValueAttribute* y = nullptr;
    GValueAttribute* bits = nullptr;
    bool Complete() const { return x && y && bits; }
};

ResolutionMembers Members(GObjectBase* settings)
{
    ResolutionMembers members;
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kJobSettings);
    GAttributeComposite* node = GDriverObject::Feature<GAttributeComposite>(job, FeatureId::kResolutionNode);
    members.x = GDriverObject::Feature<GValueAttribute>(node, FeatureId::kXResolution);
    members.y = GDriverObject::Feature<GValueAttribute>(node, FeatureId::kYResolution);
    members.bits = GDriverObject::Feature<GValueAttribute>(node, FeatureId::kResolutionBits);
    return members;
}

} // namespace

const TranslatorDescription ResolutionTranslator::kDescription = {
    L"printing/Resolution", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 128,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t ResolutionTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite*)
{
    ResolutionMembers members = Members(settings);
    if (!members.Complete())
        return 0;
    std::vector<wchar_t> buffer(kDescription.bufferChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    const TranslatorOption* row = FindKeyword(kDescription, buffer.data());
    if (!row)
        return 0;
    members.bits->SetValue(row->value == kSolvane1200 ? kSolvaneBits : kOtherBits);
    members.x->SetValue(row->value);
    members.y->SetValue(row->value);
    return 1;
}

int32_t ResolutionTranslator::FromAttributes(GObjectBase* settings)
{
    if (!Members(settings).Complete())
        return 0;
    return ExportEnumerated(kDescription, settings);
}
