#include "ui/pages/ModulePlugIn.h"

#include "entry/module/EntryPoints.h"
#include "entry/sheet/GUIPlugIn.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GBin.h"
#include "printer/GDriverObject.h"
#include "printer/GOSFactory.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GPeripheral.h"
#include "ui/framework/GModalDialog.h"
#include "ui/framework/GPropertyPage.h"
#include "ui/framework/GSheetContext.h"
#include "ui/framework/ResourceLibrary.h"
#include "ui/pages/PageBuilders.h"

#include <cstdlib>
#include <cstring>
#include <memory>

namespace ModulePlugIn {
namespace {

// "The printer's settings cannot be read. Changes to them will not be saved."
constexpr uint32_t kStoringOffText = 12030;
// "You may not change this printer's settings. Changes to them will not be saved."
constexpr uint32_t kNoPermissionText = 12031;
// "Some of the printer's settings cannot be read. Press OK to replace those with the
// factory settings; the rest are kept."
constexpr uint32_t kReplaceText = 12032;
// "Some of the printer's settings cannot be read, so this sheet shows the factory
// settings for them. An administrator can restore them."
constexpr uint32_t kAskAdministratorText = 12033;
// "Your own watermarks cannot be read. OK offers to replace them; your other settings are
// kept."
constexpr uint32_t kOwnWatermarksText = 12037;

// The line of a page that stores nothing, or not all of it, by what is true for this
// user: the first row whose flags the sheet has all of gives the text. Settings that
// cannot be read are named whatever the user's rights, for the sheet then shows the
// factory's in their place; the document pages only ever say that the settings cannot be
// read, as the document's choices still go back to the caller, or that the user's own
// watermarks cannot, which only a document sheet keeps.
struct StoringOffLine {
    uint32_t flags;
    bool onDevicePages;
    bool onDocumentPages;
    uint32_t text;
};

const StoringOffLine kStoringOffLines[] = {
    {kModeStoringOff | kModeReplaceable | kModeMayReplace, true, false, kReplaceText},
    {kModeStoringOff | kModeReplaceable, true, false, kAskAdministratorText},
    {kModeStoringOff, true, true, kStoringOffText},
    {kModeNoPermission, true, false, kNoPermissionText},
    {kModeOwnWatermarksUnreadable, false, true, kOwnWatermarksText},
};

// The text of the line a page shows; 0: none.
uint32_t StoringOffText(uint32_t modeFlags, bool devicePage)
{
    for (const StoringOffLine& line : kStoringOffLines)
        if ((modeFlags & line.flags) == line.flags && (devicePage ? line.onDevicePages : line.onDocumentPages))
            return line.text;
    return 0;
}

// A page that stores nothing or not the user's own watermarks, or a device page the user
// may not change, says so; the device pages change nothing but the printer's stores, so
// then nothing on them can change. A page the flags leave storing shows no line.
void ShowStoringOff(GPropertyPage& page, uint32_t modeFlags, bool devicePage)
{
    const uint32_t text = StoringOffText(modeFlags, devicePage);
    page.ShowStoringOffLine(text);
    if (text && devicePage)
        page.FreezeItems(PageBuilders::kAboutItem);
    else
        page.ThawItems();
}

constexpr uint32_t kCheetahClass = 767;
constexpr uint32_t kPostScriptClass = 768;
constexpr uint32_t kPcl5eClass = 788;
constexpr uint16_t kPrinterPeripheral = 76;
constexpr uint16_t kDeviceConfiguration = 228;
constexpr uint16_t kOutputBinNames = 314;
constexpr uint16_t kFirstOutputBin = 4;
constexpr uint16_t kLastOutputBin = 17;

enum Condition { kDocument, kOutput, kJobStorage, kColor, kDevice };

// The builders that take the writer and those that do not, alike for the table.
template <GPropertyPage* (*Builder)(QZPageEntry*, GSheetContext*, bool)>
GPropertyPage* WithoutWriter(QZPageEntry* entry, GSheetContext* context, bool hasHelp, GObjectBase*)
{
    return Builder(entry, context, hasHelp);
}

struct PageRow {
    int order;
    const char* page;
    uint32_t titleId;  // 0: the dialog's caption is the title
    uint16_t dialogId;
    uint32_t helpId;
    Condition builtWhen;
    PageBuilder build;
};

const PageRow kPages[] = {
    {1, "Finishing", 1051, 3000, 300, kDocument, &PageBuilders::BuildFinishing},
    {2, "Effects", 1052, 6000, 500, kDocument, &WithoutWriter<PageBuilders::BuildEffects>},
    {3, "Paper", 1053, 2000, 200, kDocument, &WithoutWriter<PageBuilders::BuildPaper>},
    {4, "Output", 11600, 16000, 950, kOutput, &WithoutWriter<PageBuilders::BuildOutput>},
    {5, "Job Storage", 11041, 15000, 1000, kJobStorage, &WithoutWriter<PageBuilders::BuildJobStorage>},
    {6, "Basics", 1055, 1000, 100, kDocument, &WithoutWriter<PageBuilders::BuildBasics>},
    {7, "Color", 1056, 14000, 900, kColor, &PageBuilders::BuildColor},
    {8, "NT Forms", 0, 12000, 700, kDevice, &WithoutWriter<PageBuilders::BuildNTForms>},
    {9, "Configure", 0, 7000, 600, kDevice, &WithoutWriter<PageBuilders::BuildConfigure>},
};

const DialogItem kDuplexItems[] = {{2070, -1}, {2071, -1}, {2072, -1}, {7405, -1}, {1, 1302}, {0, 0}};

GObjectBase* Writer(GObjectBase* printer)
{
    auto* peripheral = dynamic_cast<GPeripheral*>(printer);
    GObjectBase* configuration = peripheral ? peripheral->GetConfiguration() : nullptr;
    GObjectBase* group = configuration ? configuration->FindById(FeatureId::kPdlWriterGroup) : nullptr;
    return group ? group->FindById(FeatureId::kPdlWriter) : nullptr;
}

bool IsWriter(GObjectBase* writer, uint32_t classId) { return writer && writer->IsKindOf(classId); }

bool DocumentPages(const GUIData* data) { return (data->pageSet & 3) != 0; }
bool DevicePages(const GUIData* data) { return (data->pageSet & 4) != 0; }

bool ColorPage(GUIData* data)
{
    return data->driverUI && data->driverUI->GetCachedFeature339() == 1;
}

// The count both passes compute alike.
int16_t CountPages(GUIData* data, GObjectBase* writer)
{
    int16_t count = 0;
    if (DocumentPages(data)) {
        GSettingsView view(data->settings);
        RWWString output;
        view.GetStringW(FeatureId::kOutputOptionsName, output);
        count = output.Length() ? 7 : 6;
        if (ColorPage(data))
            ++count;
        if (IsWriter(writer, kPostScriptClass))
            ++count;
    }
    if (DevicePages(data))
        count += 2;
    return count;
}

// Records the module instance and takes one reference of the resource library.
int LoadLibraryForPages(GUIData* data)
{
    if (!ResourceLibrary::GetModuleInstance())
        if (GOSFactory* services = GOSFactory::Instance())
            ResourceLibrary::SetModuleInstance(reinterpret_cast<HMODULE>(uintptr_t(services->GetModuleHandle())));
    if (!data->driverUI)
        return 0;
    const RWWString path = data->driverUI->GetResourceLibraryPath();
    return path.Length() && ResourceLibrary::LoadResourceLibrary(path.Data());
}

// The page of the row with its controls; the Output page's help-id table is built here.
GPropertyPage* BuildPage(const PageRow& row, QZPageEntry* entry, GSheetContext* context, bool hasHelp,
                         GObjectBase* writer)
{
    GPropertyPage* page = row.build(entry, context, hasHelp, writer);
    if (page && row.builtWhen == kOutput)
        page->BuildHelpIdTable();
    return page;
}

int16_t RunDuplexInstructions(GUIData* data)
{
    if (!LoadLibraryForPages(data))
        return 0;
    data->sheetContext = new GSheetContext(data);
    GModalDialog dialog(kDuplexDialog, data->sheetContext, true, kDuplexHelpId);
    dialog.AddControl(new GDialogControl(new GFeature(data->sheetContext), kDuplexItems));
    dialog.BuildHelpIdTable();
    HWND owner = GetFocus();
    if (!owner)
        owner = GetTopWindow(GetDesktopWindow());
    data->sheetContext->OpenTransaction(owner);
    dialog.Run(owner, 1);
    return 1;
}

}  // namespace

int16_t Initialize(GUIData* data, uint16_t firstIndexOrMode)
{
    if (!data || data->size != sizeof(GUIData))
        return 0;
    if (firstIndexOrMode == kModalMode)
        return RunDuplexInstructions(data);
    GObjectBase* writer = Writer(data->printer);
    int16_t count = CountPages(data, writer);
    if (!data->pages)
        return count;
    if (!LoadLibraryForPages(data))
        return 0;
    // A second page pass replaces the context of the first.
    delete data->sheetContext;
    data->sheetContext = new GSheetContext(data);
    GSheetContext* context = data->sheetContext;
    GSettingsView& settings = context->GetSettings();
    uint16_t disk = 0, mode = 0, storage = 0;
    RWWString output;
    if (DocumentPages(data)) {
        settings.GetValue(FeatureId::kHardDiskInstalled, disk);
        settings.GetValue(FeatureId::kJobStorageMode, mode);
        settings.GetValue(FeatureId::kJobStorageEnabled, storage);
        if (disk == 0 && storage != 0 && (mode == 1 || mode == 3))
            settings.SetValue(FeatureId::kJobStorageMode, 0);
        settings.GetStringW(FeatureId::kOutputOptionsName, output);
    }
    uint32_t next = firstIndexOrMode;
    for (const PageRow& row : kPages) {
        bool built = false;
        switch (row.builtWhen) {
        case kDocument: built = DocumentPages(data); break;
        case kOutput: built = DocumentPages(data) && output.Length() != 0; break;
        case kJobStorage:
            built = DocumentPages(data) && storage == 1;
            if (DocumentPages(data) && !built)
                --count;
            break;
        case kColor: built = DocumentPages(data) && ColorPage(data); break;
        case kDevice: built = DevicePages(data); break;
        }
        // Never past the array the host made from the counting pass.
        if (!built || next >= data->pageCount)
            continue;
        GPropertyPage* page = BuildPage(row, &data->pages[next++], context, true, writer);
        // Every page says why it stores nothing, as the sheet's flags are when it opens
        // and again whenever they change.
        const bool devicePage = row.builtWhen == kDevice;
        if (page) {
            ShowStoringOff(*page, data->modeFlags, devicePage);
            page->FollowModeFlags([devicePage](GPropertyPage& shown, uint32_t flags) {
                ShowStoringOff(shown, flags, devicePage);
            });
        }
        if (row.order == 1)
            context->AddRule(new GConflictRule(context, kFinishingRuleKey));
    }
    if (count > 0) {
        const uint32_t rules = kDocumentRules + (IsWriter(writer, kPcl5eClass) ? 1 : 0);
        for (uint32_t n = 1; n <= rules; ++n)
            context->AddRule(new GConflictRule(context, GConflictRule::kKeyBase + n));
    }
    return count;
}

int16_t Destroy(GUIData* data)
{
    if (!data || !data->sheetContext)
        return 0;
    HMODULE library = ResourceLibrary::GetResourceLibrary();
    for (uint16_t i = 0; data->pages && i < data->pageCount; ++i) {
        QZPageEntry& entry = data->pages[i];
        auto* link = reinterpret_cast<PageLink*>(entry.lParam);
        if (library && entry.hInstance == library && link) {
            delete link->page;
            link->page = nullptr;
        }
    }
    delete data->sheetContext;
    data->sheetContext = nullptr;
    // Only a pass that made a context took a reference.
    ResourceLibrary::ReleaseResourceLibrary();
    return 0;
}

namespace {

GValueAttribute* Value(GObjectBase* node, uint16_t id) { return GDriverObject::Feature<GValueAttribute>(node, id); }

void CopyValue(GObjectBase* options, uint16_t id, uint16_t value)
{
    if (GValueAttribute* target = Value(options, id))
        target->SetValue(value);
    else
        options->Add(new GValueAttribute(value, id));
}

void SetString(GObjectBase* options, uint16_t id, const RWCString& text)
{
    if (auto* target = GDriverObject::Feature<GStringAttribute>(options, id))
        target->SetString(text);
    else
        options->Add(new GStringAttribute(text, id));
}

uint16_t ValueOf(GObjectBase* node, uint16_t id)
{
    const GValueAttribute* value = Value(node, id);
    return value ? value->GetValue() : 0;
}

// The output device's bins 4 to 17, by name and in the device's order, replace the list
// of output bins (314).
void CopyOutputBins(GPaperHandlingDevice* handler, GObjectBase* options)
{
    GObjectBase* bins = GDriverObject::Feature<GAttributeComposite>(options, kOutputBinNames);
    if (bins) {
        bins->RemoveAll();
    } else {
        bins = new GAttributeComposite(kOutputBinNames);
        options->Add(bins);
    }
    std::unique_ptr<GObjectIterator> it(handler->CreateIterator());
    while (it && it->Next()) {
        auto* bin = dynamic_cast<GBin*>(it->Current());
        if (bin && bin->GetBinId() >= kFirstOutputBin && bin->GetBinId() <= kLastOutputBin)
            bins->Add(new GStringAttribute(*bin->GetName(), 0));
    }
}

}  // namespace

int16_t ConfigToSettings(GUIData* data)
{
    if (!data)
        return 0;
    GObjectBase* printer = data->printer ? data->printer->FindById(kPrinterPeripheral) : nullptr;
    auto* peripheral = dynamic_cast<GPeripheral*>(printer);
    GObjectBase* configuration = peripheral ? peripheral->GetConfiguration() : nullptr;
    GObjectBase* device = configuration ? configuration->FindById(kDeviceConfiguration) : nullptr;
    GObjectBase* options = GDriverObject::Feature<GAttributeComposite>(data->settings, FeatureId::kDeviceSettings);
    if (!device || !options)
        return 0;
    if (!Value(device, 313))
        return 0;
    CopyValue(options, 313, ValueOf(device, 313));
    if (ValueOf(device, 313) != 2)
        return 0;
    CopyValue(options, 307, ValueOf(device, 202));
    const uint16_t memory = uint16_t(ValueOf(device, 201) + ValueOf(device, 1211));
    if (Value(device, 201))
        CopyValue(options, 925, memory);
    CopyValue(options, 308, ValueOf(device, 204));
    if (GObjectBase* fonts = device->FindById(701)) {
        if (GObjectBase* copy = fonts->Copy()) {
            if (!options->ReplaceById(701, copy))
                options->Add(copy);
        }
    }
    const uint16_t disk = ValueOf(device, 226);
    CopyValue(options, 239, disk > 0 ? 1 : 0);
    CopyValue(options, 520, disk != 0 || memory >= 192 ? 1 : 0);
    if (disk == 0 && memory < 192) {
        CopyValue(options, 310, 0);
    } else {
        const uint16_t mode = ValueOf(device, 231);
        CopyValue(options, 310, mode);
        if (mode)
            CopyValue(options, 451, mode);
    }
    SetString(options, 315, "");
    CopyValue(options, 275, 0);
    SetString(options, 316, "");
    GObjectBase* list = device->FindById(90);
    std::unique_ptr<GObjectIterator> it(list ? list->CreateIterator() : nullptr);
    while (it && it->Next()) {
        auto* handler = dynamic_cast<GPaperHandlingDevice*>(it->Current());
        if (!handler)
            continue;
        if (handler->GetMode() && handler->GetCount()) {
            auto* outputName = GDriverObject::Feature<GStringAttribute>(options, 316);
            if (handler->GetType() == 1 && outputName && outputName->GetString().Length() == 0) {
                outputName->SetString(handler->GetName());
                CopyValue(options, 213, handler->GetSelectedOption());
                CopyOutputBins(handler, options);
            }
            auto* inputName = GDriverObject::Feature<GStringAttribute>(options, 315);
            if (handler->GetType() == 0 && inputName && inputName->GetString().Length() == 0)
                inputName->SetString(handler->GetName());
        } else if (handler->GetMode() == 0 && handler->GetOptionCount() > 1) {
            CopyValue(options, 274, handler->GetSelectedOption());
        }
    }
    return 0;
}

}  // namespace ModulePlugIn

extern "C" uint32_t WINAPI UI_INTERFACEVERSION() { return GUIPlugIn::kInterfaceVersion; }
extern "C" int16_t WINAPI UI_INITIALIZE(void* guiData, uint16_t firstIndexOrMode)
{
    return ModulePlugIn::Initialize(static_cast<GUIData*>(guiData), firstIndexOrMode);
}
extern "C" int16_t WINAPI UI_DESTROY(void* guiData) { return ModulePlugIn::Destroy(static_cast<GUIData*>(guiData)); }
extern "C" int16_t WINAPI UI_CONFIGTOSETTINGS(void* guiData)
{
    return ModulePlugIn::ConfigToSettings(static_cast<GUIData*>(guiData));
}
extern "C" int16_t WINAPI UI_SETTINGSTOCONFIG(uint32_t) { return 0; }
