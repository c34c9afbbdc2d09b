// The choices the pages' lists offer: the papers of the printer's media pool, its
// installed trays, its media types by name, and the fixed choices of the layout features,
// each labelled by a string of the resource library or the spooler's form name; and the
// device sheet's own lists: the form-to-tray rows, the optional devices and the model
// bundles.
#include "ui/pages/PageFeatures.h"

#include "model/ForEachMember.h"
#include "model/GConfiguration.h"
#include "model/GDisplayString.h"
#include "model/GFeatureIds.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GPeripheral.h"
#include "printer/GTray.h"
#include "ui/framework/GSheetContext.h"
#include "ui/framework/ResourceLibrary.h"

#include <algorithm>

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
// The label "(none)": no form in a tray, no media type given for it.
const uint32_t kNoneString = kNoWatermark.stringId;
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

GObjectBase* TreeOf(GSheetContext* context) { return context ? context->GetSettings().GetTree() : nullptr; }

GFormToTrayDatabase* FormTable(GSheetContext* context)
{
    return GDriverObject::Feature<GFormToTrayDatabase>(TreeOf(context), FeatureId::kFormToTrayTable);
}

// The printer's form-to-tray table is customized: the forms choose the tray.
bool FormsChooseTray(GSheetContext* context)
{
    GDriverObject* driver = DriverOf(context);
    return driver && driver->FormTableCustomized();
}

// A tray's or device's name: its display text, else its display string from the resource
// library, else its own name.
RWWString DisplayName(const GDisplayString& display, const RWCString& name)
{
    if (display.GetText().Length())
        return RWWString(display.GetText());
    RWWString label = display.GetStringId() ? Label(display.GetStringId()) : RWWString();
    return label.Length() ? label : RWWString(name);
}

int AddTray(GObjectBase* entry, GResourceMapping*, int32_t, void* context, int32_t* matched)
{
    if (!entry || !entry->IsKindOf(GTray::kClassId))
        return 1;
    const GTray& tray = *static_cast<GTray*>(entry);
    static_cast<std::vector<FeatureChoice>*>(context)->push_back(
        {tray.GetTrayId(), DisplayName(tray.GetDisplayString(), *tray.GetName())});
    *matched = 1;
    return 1;
}

// The installed trays with the sheet's installed options, in the order and by the walk
// that the bin query answers them.
std::vector<FeatureChoice> InstalledTrays(GSheetContext* context)
{
    std::vector<FeatureChoice> trays;
    if (GDriverObject* driver = DriverOf(context))
        driver->ForEachInstalledBin(&AddTray, &trays, TreeOf(context));
    return trays;
}

const GTray* FirstTray(GPaperHandlingDevice* device)
{
    const GTray* first = nullptr;
    ForEachMember(device, [&](GObjectBase* member) {
        if (member->IsKindOf(GTray::kClassId))
            first = static_cast<GTray*>(member);
        return first == nullptr;
    });
    return first;
}

// The optional devices of the kind (0 input, 1 output), in the printer model's order.
// Applying the stored maps may replace the device list: the pointers hold until then.
std::vector<GPaperHandlingDevice*> OptionalDevices(GSheetContext* context, uint32_t type)
{
    std::vector<GPaperHandlingDevice*> devices;
    GDriverObject* driver = DriverOf(context);
    GConfiguration* configuration = driver ? driver->GetPrinterConfiguration() : nullptr;
    ForEachMember(configuration ? configuration->FindById(FeatureId::kInputDevices) : nullptr,
                  [&](GObjectBase* member) {
                      if (!member->IsKindOf(GPaperHandlingDevice::kClassId))
                          return;
                      auto* device = static_cast<GPaperHandlingDevice*>(member);
                      if (device->GetType() == type && device->GetMode() == 1)
                          devices.push_back(device);
                  });
    return devices;
}

// The device settings (365) of each model bundle of the named list, by its index.
std::vector<std::pair<uint16_t, GObjectBase*>> Bundles(GSheetContext* context, std::vector<FeatureChoice>* names)
{
    std::vector<std::pair<uint16_t, GObjectBase*>> bundles;
    GDriverObject* driver = DriverOf(context);
    GConfiguration* configuration = driver ? driver->GetPrinterConfiguration() : nullptr;
    ForEachMember(configuration ? configuration->FindById(FeatureId::kNamedList) : nullptr, [&](GObjectBase* entry) {
        auto* index = GDriverObject::Feature<GValueAttribute>(entry, FeatureId::kBundleIndex);
        auto* name = GDriverObject::Feature<GStringAttribute>(entry, FeatureId::kNamedListName);
        GObjectBase* values = entry->FindById(FeatureId::kNamedListValue);
        GObjectBase* device = values ? values->FindById(FeatureId::kDeviceSettings) : nullptr;
        if (!index || !device)
            return;
        bundles.push_back({index->GetValue(), device});
        if (names)
            names->push_back({index->GetValue(), name ? RWWString(name->GetString()) : RWWString()});
    });
    return bundles;
}

int AddForm(uint16_t code, const wchar_t* name, void* context)
{
    static_cast<std::vector<FeatureChoice>*>(context)->push_back({code, RWWString(name)});
    return 1;
}

}  // namespace

// The papers the paper query offers, by the same walk of the spooler's forms that fit the
// device (only those the form-to-tray table holds while it is customized), each under
// its form's name; then the model's papers that are no spooler form, under their
// resource strings.
void GPaperSizeChoiceFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    choices.clear();
    GDriverObject* driver = DriverOf(context_);
    GObjectBase* tree = TreeOf(context_);
    if (!driver || !tree)
        return;
    const int check = GDriverObject::NumberOr(tree, FeatureId::kLooseFormFit, 0) == 0 ? 1 : 0;
    driver->EnumDeviceForms(tree, &AddForm, &choices, check);
    GFormToTrayDatabase* assigned = driver->CustomizedFormTable();
    uint32_t count = 0;
    FORM_INFO_1W* forms = driver->EnumForms(count);
    ForEachMember(driver->GetIdPool(), [&](GObjectBase* member) {
        if (!member->IsKindOf(GResourceMapping::kClassId))
            return;
        auto* mapping = static_cast<GResourceMapping*>(member);
        // The mapping's first code is the 1-based position of the paper's built-in form.
        const uint32_t position = mapping->GetFirstCode();
        const bool isForm = forms && position >= 1 && position <= count && forms[position - 1].Flags == FORM_BUILTIN;
        const uint16_t code = uint16_t(mapping->GetSecondCode());
        // The custom size is offered whatever the table holds, as the paper query offers it.
        if (isForm || (assigned && code != FeatureId::kCustomPaperCode && !assigned->ContainsFirstValue(code)))
            return;
        RWWString label = Label(mapping->GetResource());
        if (label.Length())
            choices.push_back({code, label});
    });
    driver->FreeForms(forms);

    // A paper the settings hold that the table does not offer is the document's own
    // choice: it stays listed, under the name the unfiltered walk gives it, so that it
    // shows as the chosen size.
    const int32_t current = GDriverObject::NumberOr(tree, FeatureId::kPaperSize, -1);
    const auto holds = [](const std::vector<FeatureChoice>& list, int32_t value) {
        return std::find_if(list.begin(), list.end(), [&](const FeatureChoice& c) { return c.value == value; });
    };
    if (!assigned || current < 0 || current == FeatureId::kCustomPaperCode || holds(choices, current) != choices.end())
        return;
    std::vector<FeatureChoice> every;
    driver->EnumDeviceFormsUnfiltered(tree, &AddForm, &every, check);
    MappingChoices(driver->GetIdPool(), every);
    const auto own = holds(every, current);
    if (own != every.end())
        choices.push_back(*own);
}

// The bins an application finds: the installed trays, or, while forms are assigned to
// trays, the form source alone under the name the bin query gives it (the tray follows
// the form).
void GPaperTypeSourceFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    choices.clear();
    if (FormsChooseTray(context_)) {
        choices.push_back({kAutomaticTray.value, RWWString(GDriverObject::kFormSourceName)});
        return;
    }
    choices = InstalledTrays(context_);
}

int GPaperTypeSourceFeature::Read(uint16_t& value) const
{
    if (!GValueFeature::Read(value))
        return 0;
    if (FormsChooseTray(context_))
        value = kAutomaticTray.value;
    return 1;
}

int GFormTrayAssignmentFeature::Read(uint16_t& value) const
{
    value = 0;
    return FormTable(context_) ? 1 : 0;
}

void GFormTrayAssignmentFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    choices = InstalledTrays(context_);
}

void GFormTrayAssignmentFeature::GetForms(std::vector<FeatureChoice>& forms) const
{
    forms.clear();
    forms.push_back({kNoForm, Label(kNoneString)});
    GDriverObject* driver = DriverOf(context_);
    GObjectBase* tree = TreeOf(context_);
    if (!driver || !tree)
        return;
    const int strict = GDriverObject::NumberOr(tree, FeatureId::kLooseFormFit, 0) == 0 ? 1 : 0;
    driver->EnumDeviceFormsUnfiltered(tree, &AddForm, &forms, strict);
    std::vector<FeatureChoice> papers;
    MappingChoices(driver->GetIdPool(), papers);
    for (const FeatureChoice& paper : papers) {
        const bool listed = std::any_of(forms.begin(), forms.end(),
                                        [&](const FeatureChoice& form) { return form.value == paper.value; });
        if (!listed && paper.value < FeatureId::kCustomPaperCode)
            forms.push_back(paper);
    }
}

void GFormTrayAssignmentFeature::GetTypes(std::vector<FeatureChoice>& types) const
{
    types.clear();
    types.push_back({kUnspecifiedType, Label(kNoneString)});
    GDriverObject* driver = DriverOf(context_);
    GConfiguration* configuration = driver ? driver->GetPrinterConfiguration() : nullptr;
    ForEachMember(configuration ? configuration->FindById(FeatureId::kNamedList) : nullptr, [&](GObjectBase* entry) {
        auto* name = GDriverObject::Feature<GStringAttribute>(entry, FeatureId::kNamedListName);
        auto* code = GDriverObject::Feature<GValueAttribute>(entry, FeatureId::kNamedListValue);
        if (!name || !code)
            return;
        // Names that share a code (the model's own brands) are one type: the first names it.
        const uint16_t value = code->GetValue();
        if (std::none_of(types.begin(), types.end(), [&](const FeatureChoice& type) { return type.value == value; }))
            types.push_back({value, RWWString(name->GetString())});
    });
}

void GFormTrayAssignmentFeature::ReadRow(uint16_t tray, uint16_t& form, uint16_t& type) const
{
    GFormToTrayDatabase* table = FormTable(context_);
    form = table ? table->GetFirstValue(tray) : kNoForm;
    type = table ? table->GetSecondValue(tray) : kUnspecifiedType;
}

int GFormTrayAssignmentFeature::WriteRow(uint16_t tray, uint16_t form, uint16_t type)
{
    GFormToTrayDatabase* table = FormTable(context_);
    if (!table)
        return 0;
    if (form == kNoForm && type == kUnspecifiedType) {
        table->RemoveAssociation(tray);
    } else {
        // The row keeps the form's name too, so that a form is known by its name as well.
        std::vector<FeatureChoice> forms;
        GetForms(forms);
        RWWString name;
        for (const FeatureChoice& choice : forms)
            if (choice.value == form && form != kNoForm)
                name = choice.label;
        table->SetAssociationNamed(tray, form, type, name);
    }
    context_->GetSettings().NoteChange();
    return 1;
}

int GFormTrayAssignmentFeature::ClearAll()
{
    GFormToTrayDatabase* table = FormTable(context_);
    if (!table)
        return 0;
    table->RemoveAll();
    context_->GetSettings().NoteChange();
    return 1;
}

int GOptionalDevicesFeature::Read(uint16_t& value) const
{
    value = 0;
    return OptionalDevices(context_, type_).empty() ? 0 : 1;
}

void GOptionalDevicesFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    choices.clear();
    for (GPaperHandlingDevice* device : OptionalDevices(context_, type_)) {
        const GTray* tray = type_ == 0 ? FirstTray(device) : nullptr;
        RWWString name = tray ? DisplayName(tray->GetDisplayString(), *tray->GetName())
                              : DisplayName(device->GetDisplayString(), device->GetName());
        choices.push_back({uint16_t(choices.size()), name});
    }
}

bool GOptionalDevicesFeature::IsInstalled(uint16_t value) const
{
    GDriverObject* driver = DriverOf(context_);
    if (!driver)
        return false;
    // The model's installed counts, as the settings of the sheet make them.
    driver->ApplyStoredMaps(TreeOf(context_));
    const std::vector<GPaperHandlingDevice*> devices = OptionalDevices(context_, type_);
    return value < devices.size() && devices[value]->GetCount() != 0;
}

int GOptionalDevicesFeature::SetInstalled(uint16_t value, bool installed)
{
    const std::vector<GPaperHandlingDevice*> devices = OptionalDevices(context_, type_);
    if (!context_ || value >= devices.size())
        return 0;
    GPaperHandlingDevice* device = devices[value];
    GSettingsView& settings = context_->GetSettings();
    const GTray* tray = type_ == 0 ? FirstTray(device) : nullptr;
    if (tray && tray->GetTrayId() == GDriverObject::kEnvelopeFeederTray)
        return settings.SetValue(FeatureId::kEnvelopeFeeder, installed ? 1 : 0);
    const uint16_t nameId = type_ == 0 ? FeatureId::kOptionalSourcesModel : FeatureId::kAccessoryModel;
    const RWWString name(device->GetName());
    if (installed)
        return settings.SetStringW(nameId, name);
    // Only the device's own name is taken away (the setting may name something else), and
    // the setting gets back the printer model's own value unless that names the device.
    RWWString current;
    settings.GetStringW(nameId, current);
    if (current.CompareTo(name) != 0)
        return 1;
    GDriverObject* driver = DriverOf(context_);
    GConfiguration* configuration = driver ? driver->GetPrinterConfiguration() : nullptr;
    // The factory settings group holds the model's own device settings.
    GObjectBase* group = configuration ? configuration->FindById(FeatureId::kStoredFormGroup) : nullptr;
    GObjectBase* defaults = group ? group->FindById(FeatureId::kDeviceSettings) : nullptr;
    auto* factory = GDriverObject::Feature<GStringAttribute>(defaults, nameId);
    const RWWString restored = factory ? RWWString(factory->GetString()) : RWWString();
    return settings.SetStringW(nameId, restored.CompareTo(name) == 0 ? RWWString() : restored);
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

void GModelNameFeature::GetChoices(std::vector<FeatureChoice>& choices) const
{
    choices.clear();
    Bundles(context_, &choices);
}

int GModelNameFeature::Read(uint16_t& value) const
{
    value = 0xFFFF;
    const auto bundles = Bundles(context_, nullptr);
    if (bundles.empty() || !context_)
        return 0;
    if (GValueFeature::Read(value))
        return 1;
    GSettingsView& settings = context_->GetSettings();
    for (const auto& bundle : bundles) {
        bool same = true;
        ForEachMember(bundle.second, [&](GObjectBase* member) {
            uint16_t held = 0;
            if (member->IsKindOf(GValueAttribute::kClassId) && member->GetId() != FeatureId::kBundleIndex)
                same = same && settings.GetValue(uint16_t(member->GetId()), held) &&
                       held == static_cast<GValueAttribute*>(member)->GetValue();
        });
        if (same) {
            value = bundle.first;
            break;
        }
    }
    return 1;
}

int GModelNameFeature::Write(uint16_t value)
{
    if (!context_)
        return 0;
    GSettingsView& settings = context_->GetSettings();
    for (const auto& bundle : Bundles(context_, nullptr)) {
        if (bundle.first != value)
            continue;
        GValueFeature::Write(value);
        ForEachMember(bundle.second, [&](GObjectBase* member) {
            if (member->IsKindOf(GValueAttribute::kClassId) && member->GetId() != FeatureId::kBundleIndex)
                settings.SetValue(uint16_t(member->GetId()), static_cast<GValueAttribute*>(member)->GetValue());
        });
        return 1;
    }
    return 0;
}
