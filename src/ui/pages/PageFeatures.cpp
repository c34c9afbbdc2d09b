// The choices the pages' lists offer: the papers of the printer's media pool, its trays,
// its media types by name, and the fixed choices of the layout features, each labelled
// by a string of the resource library.
#include "ui/pages/PageFeatures.h"

#include "model/ForEachMember.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GPeripheral.h"
#include "ui/framework/GSheetContext.h"
#include "ui/framework/ResourceLibrary.h"

namespace {

// A choice and the resource string that labels it.
struct LabelledValue {
    uint16_t value;
    uint32_t stringId;
};

const LabelledValue kBookletChoices[] = {{0, 10700}, {1, 10701}, {2, 10702}};
const LabelledValue kPagesPerSheetChoices[] = {{1, 10711}, {2, 10712}, {4, 10714},
                                               {6, 10716}, {9, 10719}, {16, 10726}};
const LabelledValue kPageOrderChoices[] = {{0, 10730}, {1, 10731}, {2, 10732}, {3, 10733}};
const LabelledValue kJobNameExistsChoices[] = {{0, 10740}, {1, 10741}};
// The first choice of the watermark list: no watermark.
const LabelledValue kNoWatermark = {0, 10750};
// The tray id that stands for automatic selection, and its label.
const LabelledValue kAutomaticTray = {19, 10600};

RWWString Label(uint32_t stringId)
{
    RWWString text;
    ResourceLibrary::LoadResourceString(stringId, text);
    return text;
}

template <size_t N>
void Fill(std::vector<FeatureChoice>& choices, const LabelledValue (&table)[N])
{
    choices.clear();
    for (const LabelledValue& row : table)
        choices.push_back({row.value, Label(row.stringId)});
}

GDriverObject* DriverOf(GSheetContext* context)
{
    GUIData* data = context ? context->GetGUIData() : nullptr;
    return data ? data->driverUI : nullptr;
}

// Each mapping of the list as a choice of its second code, labelled by its resource
// string; mappings without a label are left out.
void MappingChoices(GResourceMappingList* list, std::vector<FeatureChoice>& choices)
{
    ForEachMember(list, [&](GObjectBase* member) {
        if (!member->IsKindOf(GResourceMapping::kClassId))
            return;
        auto* mapping = static_cast<GResourceMapping*>(member);
        RWWString label = Label(mapping->GetResource());
        if (label.Length())
            choices.push_back({uint16_t(mapping->GetSecondCode()), label});
    });
}

// The named media types of the printer model: entries of the named list whose value is
// a plain value (the list also names model bundles).
std::vector<RWWString> MediaTypeNames(GSheetContext* context)
{
    std::vector<RWWString> names;
    GDriverObject* driver = DriverOf(context);
    GUIData* data = context ? context->GetGUIData() : nullptr;
    auto* printer = data ? dynamic_cast<GPeripheral*>(data->printer) : nullptr;
    GObjectBase* list = nullptr;
    for (GObjectBase* holder : {static_cast<GObjectBase*>(driver ? driver->GetPrinterConfiguration() : nullptr),
                                static_cast<GObjectBase*>(printer ? printer->GetConfiguration() : nullptr)})
        if (!list && holder)
            list = holder->FindById(FeatureId::kNamedList);
    ForEachMember(list, [&](GObjectBase* entry) {
        auto* name = GDriverObject::Feature<GStringAttribute>(entry, FeatureId::kNamedListName);
        if (name && GDriverObject::Feature<GValueAttribute>(entry, FeatureId::kNamedListValue))
            names.push_back(RWWString(name->GetString()));
    });
    return names;
}

}  // namespace

void GPaperSizeChoiceFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    choices.clear();
    GDriverObject* driver = DriverOf(context_);
    MappingChoices(driver ? driver->GetIdPool() : nullptr, choices);
}

void GPaperTypeSourceFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    choices.clear();
    choices.push_back({kAutomaticTray.value, Label(kAutomaticTray.stringId)});
    GDriverObject* driver = DriverOf(context_);
    MappingChoices(driver ? driver->GetSubObject3() : nullptr, choices);
}

int GMediaTypeFeature::Read(uint16_t& value) const
{
    value = 0;
    RWWString current;
    if (!context_ || !context_->GetSettings().GetStringW(featureId_, current))
        return 0;
    const std::vector<RWWString> names = MediaTypeNames(context_);
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].CompareTo(current) == 0) {
            value = uint16_t(i);
            return 1;
        }
    // A name the model does not offer: no choice stands for it.
    value = 0xFFFF;
    return 1;
}

int GMediaTypeFeature::Write(uint16_t value)
{
    const std::vector<RWWString> names = MediaTypeNames(context_);
    return context_ && value < names.size() ? context_->GetSettings().SetStringW(featureId_, names[value]) : 0;
}

void GMediaTypeFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    choices.clear();
    const std::vector<RWWString> names = MediaTypeNames(context_);
    for (size_t i = 0; i < names.size() && i < 0xFFFF; ++i)
        choices.push_back({uint16_t(i), names[i]});
}

void GBookletFeature::GetChoices(std::vector<FeatureChoice>& choices) const { Fill(choices, kBookletChoices); }

void GPageOrderFeature::GetChoices(std::vector<FeatureChoice>& choices) const { Fill(choices, kPageOrderChoices); }

void GPageBordersOrderFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    Fill(choices, kPagesPerSheetChoices);
}

void GJobNameExistsFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    Fill(choices, kJobNameExistsChoices);
}

void GWatermarkListFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    choices.clear();
    choices.push_back({kNoWatermark.value, Label(kNoWatermark.stringId)});
    GObjectBase* tree = context_ ? context_->GetSettings().GetTree() : nullptr;
    ForEachMember(tree ? tree->FindById(FeatureId::kWatermarkList) : nullptr, [&](GObjectBase* watermark) {
        auto* name = GDriverObject::Feature<GStringAttribute>(watermark, FeatureId::kWatermarkName);
        if (name && choices.size() < 0xFFFF)
            choices.push_back({uint16_t(choices.size()), RWWString(name->GetString())});
    });
}
