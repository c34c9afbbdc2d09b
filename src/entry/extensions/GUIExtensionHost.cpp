#include "entry/extensions/GUIExtensionHost.h"

#include "entry/extensions/ExtensionContextRegistry.h"
#include "entry/extensions/ExtensionExports.h"
#include "entry/extensions/ExtensionTree.h"
#include "entry/extensions/GExtensionManager.h"
#include "entry/sheet/GUIData.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GOSFactory.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

GBuiltInPlugIn* MakeHost() { return new GUIExtensionHost; }

// The sheet glue makes a host for the plug-in name "GExtensionUIManager".
const bool kHostMakerRegistered = (GBuiltInPlugIn::SetExtensionHostMaker(&MakeHost), true);

} // namespace

GUIExtensionHost::GUIExtensionHost()
    : context_(new UIExtensionCallContext), tables_{}, modules_{}, descriptors_{},
      queryFunction_(reinterpret_cast<void*>(&QZDrv_QueryInterface)), count_(0)
{
    (void)kHostMakerRegistered;
    ExtensionContextRegistry::Enter(this, ExtensionContextRegistry::kUIHost);
}

GUIExtensionHost::~GUIExtensionHost()
{
    ExtensionContextRegistry::Leave(this);
    for (int slot = 0; slot < kExtensionSlots; ++slot)
        FreeSlot(slot);
    delete context_;
}

void GUIExtensionHost::FreeSlot(int slot)
{
    delete tables_[slot];
    tables_[slot] = nullptr;
    delete descriptors_[slot];
    descriptors_[slot] = nullptr;
    if (modules_[slot])
        FreeLibrary(modules_[slot]);
    modules_[slot] = nullptr;
    context_->descriptors[slot] = nullptr;
}

void GUIExtensionHost::ReadRegistered(GObjectBase* settings)
{
    for (int slot = 0; slot < kExtensionSlots; ++slot) {
        FreeSlot(slot);
        context_->settings[slot] = RWCString();
    }
    count_ = ExtensionTree::ReadRegistered(settings, descriptors_, context_->settings);
    for (int slot = 0; slot < kExtensionSlots; ++slot)
        context_->descriptors[slot] = descriptors_[slot];
    context_->count = count_;
}

// The export is checked before it is called; a refusal leaves the table empty.
void GUIExtensionHost::LoadModule(int slot)
{
    tables_[slot] = new ExtensionUITable{};
    const ExtensionDescriptor* d = descriptors_[slot];
    if (!d || !(d->flags & kExtensionHasUIModule) || !ExtensionTree::IsPlainModuleName(d->uiModule))
        return;
    RWWString path;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetModuleDirectory(path);
    // Without the module's folder the name would be a root's: nothing is loaded.
    if (path.Length() == 0)
        return;
    path += L"\\";
    path += RWWString(d->uiModule, RWWString::multiByte);
    modules_[slot] = LoadLibraryExW(path.Data(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!modules_[slot])
        return;
    using Query = uint16_t(QZ_EXTENSION_CALL*)(int32_t, void*);
    Query query = reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(modules_[slot], kExtensionEntryPoint)));
    if (!query || query(kExtensionUITable, tables_[slot]) != kExtensionOk)
        *tables_[slot] = ExtensionUITable{};
}

uint16_t GUIExtensionHost::AddPages(GUIData* data, uint16_t firstIndex)
{
    context_->guiData = data;
    if (!data || (data->pageSet & kPageSetDevicePages) || !(data->pageSet & kPageSetDocumentPages))
        return 0;
    uint16_t total = 0;
    if (!data->pages) {
        ReadRegistered(data->settings);
        for (int slot = 0; slot < count_; ++slot) {
            LoadModule(slot);
            uint16_t n = 0;
            if (tables_[slot]->EnumPages && tables_[slot]->EnumPages(&n, nullptr, nullptr, this) == kExtensionOk)
                total = uint16_t(total + n);
        }
        return total;
    }
    uint16_t index = firstIndex;
    for (int slot = 0; slot < count_; ++slot) {
        if (!descriptors_[slot] || !(descriptors_[slot]->flags & kExtensionHasUIModule) || !tables_[slot] ||
            !tables_[slot]->EnumPages)
            continue;
        uint16_t n = 0;
        if (tables_[slot]->EnumPages(&n, nullptr, nullptr, this) != kExtensionOk)
            continue;
        total = uint16_t(total + n);
        std::vector<ExtensionPageRecord> records(n);
        // The module is told how many records it was given, and an answer above that
        // is held to it.
        uint16_t given = n;
        if (tables_[slot]->EnumPages(&given, records.data(), queryFunction_, this) != kExtensionOk)
            continue;
        if (given > n)
            given = n;
        for (uint16_t j = 0; j < given; ++j) {
            if (uint32_t(given - j) + index > data->pageCount)
                continue;
            PROPSHEETPAGEW_V1& page = data->pages[index++];
            page.dwFlags = records[j].flags;
            page.hInstance = modules_[slot];
            page.pszTemplate = static_cast<LPCWSTR>(records[j].dialogTemplate);
            page.pfnDlgProc = reinterpret_cast<DLGPROC>(records[j].dialogProcedure);
        }
    }
    return total;
}

uint16_t GUIExtensionHost::ReleaseAll(GUIData*)
{
    uint16_t status = kExtensionUnavailable;
    for (int slot = 0; slot < count_; ++slot) {
        if (tables_[slot] && tables_[slot]->Release)
            status = tables_[slot]->Release(this);
        FreeSlot(slot);
    }
    return status;
}

uint16_t GUIExtensionHost::ReadSettings(uint8_t* buffer, uint16_t size, const char* name) const
{
    return ExtensionTree::ReadSettings(context_->descriptors, context_->settings, context_->count, buffer, size,
                                       name);
}

uint16_t GUIExtensionHost::WriteSettings(const uint8_t* bytes, uint16_t length, const char* name)
{
    if (!name || (!bytes && length != 0))
        return kExtensionUnavailable;
    if (length > kExtensionSettingsLimit)
        return kExtensionSettingsTooLong;
    const int slot = ExtensionTree::SlotOfName(context_->descriptors, context_->count, name);
    const uint16_t index = slot >= 0 ? uint16_t(slot) : 100;
    GObjectBase* settings = context_->guiData ? context_->guiData->settings : nullptr;
    GObjectBase* list =
        ExtensionTree::FindList(settings, FeatureId::kExtensionSettingsNode, FeatureId::kExtensionSettingsList);
    const RWCString value(reinterpret_cast<const char*>(bytes ? bytes : reinterpret_cast<const uint8_t*>("")), length);
    bool changed = false;
    std::unique_ptr<GObjectIterator> it(list ? list->CreateIterator() : nullptr);
    while (it && it->Next()) {
        GObjectBase* entry = it->Current();
        if (!entry || ExtensionTree::ValueOf(entry, FeatureId::kExtensionIndex, 0xFFFF) != index)
            continue;
        GObjectBase* text = entry->FindById(FeatureId::kExtensionSettingsBytes);
        if (text && text->IsKindOf(GStringAttribute::kClassId)) {
            static_cast<GStringAttribute*>(text)->SetString(value);
        } else {
            entry->Add(new GStringAttribute(value, FeatureId::kExtensionSettingsBytes));
        }
        changed = true;
    }
    if (!changed)
        return kExtensionUnavailable;
    if (slot >= 0)
        context_->settings[slot] = value;
    return kExtensionOk;
}

uint16_t GUIExtensionHost::GetValue(uint16_t valueId, uint16_t* out)
{
    GUIData* data = context_->guiData;
    GDriverObject* driver = data ? data->driverUI : nullptr;
    GExtensionManager* manager = driver ? dynamic_cast<GExtensionManager*>(driver->GetExtensionContext()) : nullptr;
    if (!manager || !out || !data->settings)
        return kExtensionUnavailable;
    return manager->GetValueForUI(valueId, out, data->settings);
}
