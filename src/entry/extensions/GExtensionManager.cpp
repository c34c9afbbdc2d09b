#include "entry/extensions/GExtensionManager.h"

#include "entry/extensions/ExtensionContextRegistry.h"
#include "entry/extensions/ExtensionExports.h"
#include "entry/extensions/ExtensionTree.h"
#include "entry/extensions/GExtensionPaperHandling.h"
#include "model/GResourceMappingList.h"
#include "model/MAssociationList.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GPeripheral.h"
#include "model/GConfiguration.h"
#include "printer/GExtensionValues.h"

#include "model/GAttributeComposite.h"
#include "model/GDynamicLibrary.h"
#include "model/GFeatureIds.h"
#include "model/ForEachMember.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/GCommandComposite.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPassThroughCommand.h"
#include "printer/GDriverObject.h"
#include "printer/GOSFactory.h"
#include "model/GState.h"

#include <cstring>
#include <memory>
#include <vector>

namespace {

template <class T>
T* Member(GObjectBase* holder, long id)
{
    GObjectBase* found = holder ? holder->FindById(id) : nullptr;
    return found && found->IsKindOf(T::kClassId) ? static_cast<T*>(found) : nullptr;
}

// A module file name with a separator, a drive or ".." would load a library from outside
// the driver's folder.
bool IsPlainModuleName(const RWWString& name)
{
    if (name.Length() == 0)
        return false;
    const wchar_t* text = name.Data();
    for (size_t i = 0; i < name.Length(); ++i) {
        if (text[i] == L'\\' || text[i] == L'/' || text[i] == L':' || text[i] == 0)
            return false;
        if (text[i] == L'.' && i + 1 < name.Length() && text[i + 1] == L'.')
            return false;
    }
    return true;
}

// The module of the name in the module's folder; empty without that folder, where the
// name would be a root's.
RWWString ModulePath(const RWWString& name)
{
    RWWString path;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetModuleDirectory(path);
    if (path.Length() == 0)
        return RWWString();
    path += L"\\";
    path += name;
    return path;
}

// The texts a registration requires, by their offsets in the descriptor.
bool HasRequiredTexts(const ExtensionDescriptor& d)
{
    const char* const required[] = {d.text1, d.name, d.text2, d.uiModule, d.text3, d.text4};
    for (const char* text : required)
        if (!*text)
            return false;
    return !(d.flags & kExtensionHasRenderModule) || *d.renderModule;
}

// A fresh list in place of a placeholder or a missing list; the list otherwise.
GObjectBase* UsableList(GObjectBase* node, long listId)
{
    GObjectBase* list = ExtensionTree::FindComposite(node, listId);
    if (list && !ExtensionTree::IsPlaceholder(list))
        return list;
    if (GObjectBase* old = node->RemoveById(listId))
        old->RemoveReference();
    GAttributeComposite* fresh = new GAttributeComposite(uint16_t(listId));
    node->Add(fresh);
    return fresh;
}

// Gives each entry of the list whose index is greater than the one removed one less.
void CloseIndexGap(GObjectBase* list, uint16_t index)
{
    ForEachMember(list, [&](GObjectBase* entry) {
        GValueAttribute* value = Member<GValueAttribute>(entry, FeatureId::kExtensionIndex);
        if (value && value->GetValue() > index && value->GetValue() != 0xFFFF)
            value->SetValue(uint16_t(value->GetValue() - 1));
    });
}

// Removes every entry of the list carrying the index and gives each greater index one
// less; answers how many were removed.
int RemoveIndex(GObjectBase* list, uint16_t index)
{
    std::vector<GObjectBase*> doomed;
    ForEachMember(list, [&](GObjectBase* entry) {
        const uint16_t value = ExtensionTree::ValueOf(entry, FeatureId::kExtensionIndex, 0xFFFF);
        if (value == index)
            doomed.push_back(entry);
    });
    for (GObjectBase* entry : doomed)
        if (GObjectBase* removed = list->Remove(entry))
            removed->RemoveReference();
    CloseIndexGap(list, index);
    return int(doomed.size());
}

// Asks a module that offers default settings for them, once its registration went well
// so far; status takes the module's answer. True when the settings tree is there and the
// answer is bytes to act on; more bytes than an entry holds set kExtensionSettingsTooLong.
bool AskDefaultSettings(const ExtensionRegistrationTable& table, bool withSettings, uint16_t& status,
                        const uint8_t*& bytes, uint16_t& length)
{
    if (status != kExtensionOk || !table.GetDefaultSettings)
        return false;
    bytes = nullptr;
    length = 0;
    status = table.GetDefaultSettings(&bytes, &length);
    if (!withSettings || status != kExtensionOk)
        return false;
    if (length > kExtensionSettingsLimit) {
        status = kExtensionSettingsTooLong;
        return false;
    }
    return true;
}



// Writers whose class ids pass-through commands name.
const uint16_t kCheetahClassId = 767;
const uint16_t kPcl5eClassId = 788;

// The data kinds of the page hooks, by filter.
const uint32_t kPageStartKinds[2] = {kExtensionPageStart1, kExtensionPageStart2};
const uint32_t kPageEndKinds[2] = {kExtensionPageEnd1, kExtensionPageEnd2};

GExtensionContext* MakeManager(GDriverObject& owner) { return new GExtensionManager(owner); }

// Every driver object built in this program gets a host.
const bool kMakerRegistered = (GExtensionContext::SetMaker(&MakeManager), true);

} // namespace

GExtensionManager::GExtensionManager(GDriverObject* owner)
    : descriptors_{}, tables_{}, modules_{}, kinds_{}, owner_(owner), queryFunction_(nullptr), count_(0)
{
    (void)kMakerRegistered;
    context_.driverObject = owner;
    queryFunction_ = reinterpret_cast<void*>(&QZDrv_QueryInterface);
    ExtensionContextRegistry::Enter(this, ExtensionContextRegistry::kRenderingHost);
}

GExtensionManager::~GExtensionManager()
{
    ExtensionContextRegistry::Leave(this);
    ClearSlots();
}

// What a registration call holds while the module is loaded.
struct GExtensionManager::Registration {
    std::unique_ptr<GDynamicLibrary> module;
    ExtensionRegistrationTable table{};
    ExtensionDescriptor descriptor{};
};

// The export is checked before it is called: the library's call answers 0 for a missing
// export, which would read as success.
uint16_t GExtensionManager::Describe(const RWWString& name, Registration& r)
{
    const RWWString path = IsPlainModuleName(name) ? ModulePath(name) : RWWString();
    if (path.Length() == 0)
        return kExtensionUnavailable;
    r.module.reset(new GDynamicLibrary(path));
    if (!r.module->Load() || !r.module->HasExport(kExtensionEntryPoint))
        return kExtensionUnavailable;
    const int32_t tableAddress = int32_t(reinterpret_cast<intptr_t>(&r.table));
    uint16_t status = r.module->Call2(kExtensionEntryPoint, kExtensionRegistrationTable, tableAddress);
    if (status != kExtensionOk)
        r.table = ExtensionRegistrationTable{};
    if (r.table.Describe) {
        status = r.table.Describe(&r.descriptor, ExtensionPdlMode(WriterTarget()));
        if (status != kExtensionOk)
            r.descriptor.flags = 0;
    }
    return status;
}

GObjectBase* GExtensionManager::Container(GObjectBase* settings)
{
    if (!settings)
        return nullptr;
    GObjectBase* container = ExtensionTree::FindComposite(settings, FeatureId::kExtensionContainer);
    if (!container) {
        container = new GAttributeComposite(FeatureId::kExtensionContainer);
        settings->Add(container);
    }
    return container;
}

int GExtensionManager::Register(const RWWString& name)
{
    Registration r;
    uint16_t status = Describe(name, r);
    if (status == kExtensionOk && !HasRequiredTexts(r.descriptor))
        status = kExtensionTextMissing;
    GObjectBase* settings = owner_ ? owner_->GetSettings() : nullptr;
    uint16_t index = 0;
    if (settings && status == kExtensionOk) {
        GObjectBase* container = Container(settings);
        GObjectBase* list = UsableList(container, FeatureId::kExtensionDescriptorList);
        index = uint16_t(list->Entries());
        bool taken = false;
        ForEachMember(list, [&](GObjectBase* entry) {
            const RWCString stored = ExtensionTree::TextOf(entry, FeatureId::kExtensionName);
            taken = taken || std::strncmp(stored.Data(), r.descriptor.name, sizeof r.descriptor.name) == 0;
        });
        if (index >= kSlots) {
            status = kExtensionListFull;
        } else if (taken) {
            status = kExtensionNameTaken;
        } else {
            list->Add(ExtensionTree::EntryFromDescriptor(r.descriptor, index));
        }
    }
    const uint8_t* bytes = nullptr;
    uint16_t length = 0;
    if (AskDefaultSettings(r.table, settings != nullptr, status, bytes, length)) {
        if (length != 0 && !bytes) {
            status = kExtensionUnavailable;
        } else {
            GObjectBase* node = ExtensionTree::FindComposite(settings, FeatureId::kExtensionSettingsNode);
            if (!node) {
                node = new GAttributeComposite(FeatureId::kExtensionSettingsNode);
                settings->Add(node);
            }
            GObjectBase* list = UsableList(node, FeatureId::kExtensionSettingsList);
            if (list->Entries() < uint32_t(kSlots)) {
                GAttributeComposite* entry = new GAttributeComposite(0);
                entry->Add(new GStringAttribute(
                    RWCString(reinterpret_cast<const char*>(bytes ? bytes : reinterpret_cast<const uint8_t*>("")),
                              length),
                    FeatureId::kExtensionSettingsBytes));
                entry->Add(new GValueAttribute(index, FeatureId::kExtensionIndex));
                list->Add(entry);
            }
        }
    }
    if (status == kExtensionOk)
        status = ApplyPaperHandling(r.table, r.descriptor.flags);
    if (status == kExtensionOk && r.table.OnRegistered)
        r.table.OnRegistered();
    return status;
}

int GExtensionManager::Unregister(const RWWString& name)
{
    Registration r;
    uint16_t status = Describe(name, r);
    GObjectBase* settings = owner_ ? owner_->GetSettings() : nullptr;
    uint16_t removedIndex = 0;
    if (settings && status == kExtensionOk) {
        GObjectBase* container = ExtensionTree::FindComposite(settings, FeatureId::kExtensionContainer);
        GObjectBase* list = ExtensionTree::FindComposite(container, FeatureId::kExtensionDescriptorList);
        GObjectBase* match = nullptr;
        ForEachMember(list, [&](GObjectBase* entry) {
            if (match)
                return;
            const RWCString text1 = ExtensionTree::TextOf(entry, FeatureId::kExtensionText1);
            const RWCString stored = ExtensionTree::TextOf(entry, FeatureId::kExtensionName);
            if (std::strncmp(text1.Data(), r.descriptor.text1, sizeof r.descriptor.text1) == 0 &&
                std::strncmp(stored.Data(), r.descriptor.name, sizeof r.descriptor.name) == 0)
                match = entry;
        });
        if (!match) {
            status = kExtensionNotStored;
        } else {
            removedIndex = ExtensionTree::ValueOf(match, FeatureId::kExtensionIndex, 0xFFFF);
            if (GObjectBase* removed = list->Remove(match))
                removed->RemoveReference();
            CloseIndexGap(list, removedIndex);
        }
    }
    const uint8_t* bytes = nullptr;
    uint16_t length = 0;
    if (AskDefaultSettings(r.table, settings != nullptr, status, bytes, length))
        RemoveIndex(
            ExtensionTree::FindList(settings, FeatureId::kExtensionSettingsNode, FeatureId::kExtensionSettingsList),
            removedIndex);
    if (status == kExtensionOk)
        status = RemovePaperHandling(r.table, r.descriptor.flags);
    if (status == kExtensionOk && r.table.OnUnregistered)
        r.table.OnUnregistered();
    return status;
}

namespace {

// A stored devices' list: a composite holding only paper-handling devices.
bool IsDeviceList(GObjectBase* object)
{
    if (!object || !object->IsKindOf(GAttributeComposite::kClassId))
        return false;
    bool devices = true;
    ForEachMember(object, [&](GObjectBase* member) {
        devices = devices && member->IsKindOf(GPaperHandlingDevice::kClassId);
    });
    return devices;
}

// The configuration of the printer's component with the id (101 the PDL writer, 106 the
// PJL writer).
GObjectBase* ComponentConfiguration(GDriverObject* driver, long id)
{
    GObjectBase* printer = driver ? driver->GetPrinter() : nullptr;
    GObjectBase* holder = printer ? printer->FindById(FeatureId::kPrinterHolder) : nullptr;
    GPeripheral* component = GDriverObject::Feature<GPeripheral>(holder, id);
    return component ? component->GetConfiguration() : nullptr;
}

template <class T>
T* OfKind(GObjectBase* object)
{
    return object && object->IsKindOf(T::kClassId) ? static_cast<T*>(object) : nullptr;
}

} // namespace

uint16_t GExtensionManager::ApplyPaperHandling(const ExtensionRegistrationTable& table, uint32_t flags)
{
    return PaperHandling(table, flags, true);
}

uint16_t GExtensionManager::RemovePaperHandling(const ExtensionRegistrationTable& table, uint32_t flags)
{
    return PaperHandling(table, flags, false);
}

// Stored objects of another kind count as absent; the configuration's own objects stand
// in for them.
uint16_t GExtensionManager::PaperHandling(const ExtensionRegistrationTable& table, uint32_t flags, bool add)
{
    const bool withTrays = (flags & kExtensionSuppliesTrays) != 0;
    const bool withBins = (flags & kExtensionSuppliesBins) != 0;
    if (!withTrays && !withBins)
        return kExtensionOk;
    const uint16_t mode = ExtensionPdlMode(WriterTarget());
    uint16_t trayStatus = kExtensionUnavailable, binStatus = kExtensionUnavailable;
    std::vector<GExtensionPaperHandling::Device> trays, bins;
    if (withTrays && table.GetInputTrays) {
        const uint8_t* list = nullptr;
        uint16_t count = 0;
        trayStatus = table.GetInputTrays(&list, &count, mode);
        trays = GExtensionPaperHandling::ReadList(list, trayStatus == kExtensionOk ? count : 0, false);
    }
    if (withBins && table.GetOutputBins) {
        const uint8_t* list = nullptr;
        uint16_t count = 0;
        binStatus = table.GetOutputBins(&list, &count, mode);
        bins = GExtensionPaperHandling::ReadList(list, binStatus == kExtensionOk ? count : 0, true);
    }
    if (!owner_)
        return withTrays ? trayStatus : binStatus;

    GExtensionPaperHandling::Targets targets;
    std::unique_ptr<GObjectBase> pool(owner_->LoadObject(RWWString(L"DEKBinPool")));
    if (!IsDeviceList(pool.get()))
        pool.reset();
    GObjectBase* paperPath = owner_->GetPrinterConfiguration()
                                 ? owner_->GetPrinterConfiguration()->FindById(FeatureId::kPaperPath)
                                 : nullptr;
    targets.container = pool ? pool.get() : OfKind<GAttributeComposite>(paperPath ? paperPath->FindById(FeatureId::kInputDevices) : nullptr);
    std::unique_ptr<GObjectBase> osMap(owner_->LoadObject(RWWString(L"DEKOSTrayMap")));
    targets.osTrayMap = OfKind<GResourceMappingList>(osMap.get());
    if (!targets.osTrayMap)
        targets.osTrayMap = owner_->GetSubObject3();
    std::unique_ptr<GObjectBase> pdlMap(owner_->LoadObject(RWWString(L"DEKPDLTrayMap")));
    targets.pdlTrayMap = OfKind<MAssociationList>(pdlMap.get());
    if (!targets.pdlTrayMap) {
        GObjectBase* writer = ComponentConfiguration(owner_, FeatureId::kPdlWriter);
        targets.pdlTrayMap = OfKind<MAssociationList>(writer ? writer->FindById(FeatureId::kPdlTrayMap) : nullptr);
    }
    std::unique_ptr<GObjectBase> pjlMap(owner_->LoadObject(RWWString(L"DEKPJLBinMap")));
    targets.pjlBinMap = OfKind<MAssociationList>(pjlMap.get());
    if (!targets.pjlBinMap) {
        GObjectBase* writer = ComponentConfiguration(owner_, FeatureId::kPjlWriter);
        targets.pjlBinMap = OfKind<MAssociationList>(writer ? writer->FindById(FeatureId::kPjlBinMap) : nullptr);
    }
    GObjectBase* settings = owner_->GetSettings();
    targets.deviceSettings = settings ? settings->FindById(FeatureId::kDeviceSettings) : nullptr;

    if (withTrays && trayStatus == kExtensionOk) {
        if (add)
            trayStatus = GExtensionPaperHandling::AddTrays(trays, targets);
        else
            GExtensionPaperHandling::RemoveTrays(trays, targets);
    }
    if (withBins && binStatus == kExtensionOk) {
        if (add)
            binStatus = GExtensionPaperHandling::AddBins(bins, targets);
        else
            GExtensionPaperHandling::RemoveBins(bins, targets);
    }

    if (GOSFactory* services = GOSFactory::Instance()) {
        if (targets.container)
            services->SaveObjectToPrinterData(owner_, RWWString(L"DEKBinPool"), targets.container);
        if (targets.osTrayMap && targets.container) {
            services->SaveObjectToPrinterData(owner_, RWWString(L"DEKOSTrayMap"), targets.osTrayMap);
            if (targets.pdlTrayMap)
                services->SaveObjectToPrinterData(owner_, RWWString(L"DEKPDLTrayMap"), targets.pdlTrayMap);
        }
        if (targets.pjlBinMap)
            services->SaveObjectToPrinterData(owner_, RWWString(L"DEKPJLBinMap"), targets.pjlBinMap);
    }
    if (withTrays && withBins)
        return trayStatus != kExtensionOk ? trayStatus : binStatus;
    return withTrays ? trayStatus : binStatus;
}

uint16_t GExtensionManager::GetValue(uint16_t valueId, uint16_t* out, GObjectBase* settingsRoot)
{
    if (!out)
        return kExtensionUnavailable;
    ExtensionValueGetter getter = FindExtensionValueGetter(valueId);
    if (!getter)
        return kExtensionUnknownValue;
    GObjectBase* jobSettings = context_.settingsRoot ? context_.settingsRoot : (owner_ ? owner_->GetSettings() : nullptr);
    const GExtensionQueryContext query{jobSettings, context_.currentCommand, context_.pdlWriter};
    return getter(settingsRoot, query, out);
}

uint16_t GExtensionManager::GetValueForUI(uint16_t valueId, uint16_t* out, GObjectBase* settingsRoot)
{
    if (!out || !settingsRoot)
        return kExtensionUnavailable;
    context_.pdlWriter = owner_ ? owner_->GetAttribute765() : nullptr;
    return GetValue(valueId, out, settingsRoot);
}

uint16_t GExtensionManager::ReadSettings(uint8_t* buffer, uint16_t size, const char* name) const
{
    return ExtensionTree::ReadSettings(context_.descriptors, context_.settings, context_.count, buffer, size, name);
}

bool GExtensionManager::IsModuleLoaded(int slot) const
{
    return slot >= 0 && slot < kSlots && modules_[slot] && modules_[slot]->IsLoaded();
}

bool GExtensionManager::IsModuleSought(int slot) const { return slot >= 0 && slot < kSlots && modules_[slot]; }

void GExtensionManager::ClearSlots()
{
    for (int slot = 0; slot < kSlots; ++slot) {
        delete modules_[slot];
        modules_[slot] = nullptr;
        delete descriptors_[slot];
        descriptors_[slot] = nullptr;
        tables_[slot] = ExtensionRenderTable{};
        kinds_[slot] = 0;
        context_.descriptors[slot] = nullptr;
        context_.settings[slot] = RWCString();
    }
    count_ = 0;
    context_.count = 0;
}

uint16_t GExtensionManager::WriterTarget() const
{
    GObjectBase* writer = owner_ ? owner_->GetAttribute765() : nullptr;
    const RWClassID id = writer ? writer->ClassId() : 0;
    return id == kCheetahClassId || id == kPcl5eClassId ? uint16_t(id) : 0;
}

void GExtensionManager::ReadDescriptors(GObjectBase* settings)
{
    count_ = ExtensionTree::ReadRegistered(settings, descriptors_, context_.settings);
    for (int slot = 0; slot < kSlots; ++slot)
        context_.descriptors[slot] = descriptors_[slot];
    context_.count = count_;
}

void GExtensionManager::LoadModules()
{
    RWWString folder;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetModuleDirectory(folder);
    // Without the module's folder the names would be a root's: nothing is loaded.
    if (folder.Length() == 0)
        return;
    for (int slot = 0; slot < kSlots; ++slot) {
        const ExtensionDescriptor* d = descriptors_[slot];
        if (!d || !(d->flags & kExtensionHasRenderModule) || !ExtensionTree::IsPlainModuleName(d->renderModule))
            continue;
        RWWString path = folder;
        path += L"\\";
        path += RWWString(d->renderModule, RWWString::multiByte);
        modules_[slot] = new GDynamicLibrary(path);
        if (!modules_[slot]->Load() || !modules_[slot]->HasExport(kExtensionEntryPoint))
            continue;
        ExtensionRenderTable& table = tables_[slot];
        const int32_t tableAddress = int32_t(reinterpret_cast<intptr_t>(&table));
        if (modules_[slot]->Call2(kExtensionEntryPoint, kExtensionRenderTable, tableAddress) != kExtensionOk)
            table = ExtensionRenderTable{};
    }
    for (int slot = 0; slot < kSlots; ++slot) {
        kinds_[slot] = kExtensionDataNone;
        if (descriptors_[slot] && tables_[slot].Initialize)
            if (tables_[slot].Initialize(queryFunction_, &kinds_[slot], this) != kExtensionOk)
                kinds_[slot] = kExtensionDataNone;
    }
}

void GExtensionManager::LoadForDocument(GDocumentStart& command)
{
    ClearSlots();
    GObjectBase* settings = owner_ ? owner_->GetSettings() : nullptr;
    context_.driverObject = owner_;
    context_.pdlWriter = owner_ ? owner_->GetAttribute765() : nullptr;
    context_.currentCommand = &command;
    context_.settingsRoot = settings;
    ReadDescriptors(settings);
    LoadModules();
    CollectJobData(kExtensionJobStartPjl, FeatureId::kExtensionJobPjlData, command.GetState());
    CollectJobData(kExtensionJobStartPdl, FeatureId::kExtensionJobPdlData, command.GetState());
}

void GExtensionManager::EndDocument(GDocumentEnd& command)
{
    context_.currentCommand = &command;
    CollectJobData(kExtensionJobEndPjl, FeatureId::kExtensionJobPjlData, command.GetState());
    CollectJobData(kExtensionJobEndPdl, FeatureId::kExtensionJobPdlData, command.GetState());
    for (int slot = 0; slot < kSlots; ++slot)
        if (descriptors_[slot] && tables_[slot].Terminate)
            tables_[slot].Terminate(this);
    ClearSlots();
    context_.currentCommand = nullptr;
}

namespace {

// Hands each block of the kind that a loaded module delivers to take, in slot order, and
// lets the module free it afterwards: take copies what it keeps.
template <class Take>
void ForEachDataBlock(const ExtensionDescriptor* const* descriptors, const ExtensionRenderTable* tables,
                      const uint32_t* kinds, uint32_t kind, void* context, Take take)
{
    for (int slot = 0; slot < GExtensionManager::kSlots; ++slot) {
        const ExtensionRenderTable& table = tables[slot];
        if (!descriptors[slot] || !table.GetData || !(kinds[slot] & kind))
            continue;
        uint8_t* bytes = nullptr;
        uint16_t length = 0;
        if (table.GetData(kind, &bytes, &length, context) != kExtensionOk)
            continue;
        take(bytes, length);
        if (table.FreeData)
            table.FreeData(bytes, context);
    }
}

} // namespace

// The bytes are copied into the attribute before the module may free or reuse them.
void GExtensionManager::CollectJobData(uint32_t kind, uint16_t compositeId, GState* state)
{
    std::unique_ptr<GAttributeComposite> composite(new GAttributeComposite(compositeId));
    ForEachDataBlock(descriptors_, tables_, kinds_, kind, this, [&](uint8_t* bytes, uint16_t length) {
        composite->Add(new GStringAttribute(RWCString(bytes ? reinterpret_cast<const char*>(bytes) : "",
                                                      bytes ? length : 0),
                                            0));
    });
    if (composite->Entries() != 0 && state)
        state->Add(composite.release());
}

// Each block becomes a command owning a copy of its bytes before the module frees it; a
// block that cannot be copied is dropped.
int GExtensionManager::CollectPageData(uint32_t kind, GObjectBase& composite)
{
    const uint16_t target = WriterTarget();
    int appended = 0;
    ForEachDataBlock(descriptors_, tables_, kinds_, kind, this, [&](uint8_t* bytes, uint16_t length) {
        std::unique_ptr<GPassThroughCommand> command(new GPassThroughCommand(bytes, length, target, 0));
        if (command->MakeDataOwned()) {
            composite.Add(command.release());
            ++appended;
        }
    });
    return appended;
}

// The command is held while the composite is built, so that dropping an unused composite
// never deletes a command the caller has not counted yet.
GCommand* GExtensionManager::Hook(GCommand* command, uint32_t kind, bool commandFirst)
{
    context_.currentCommand = command;
    if (!command)
        return command;
    GCountedRef held(command);
    std::unique_ptr<GCommandComposite> composite(new GCommandComposite);
    if (commandFirst) {
        command->Prepare();
        composite->Add(command);
    }
    const int appended = CollectPageData(kind, *composite);
    if (appended == 0) {
        composite.reset();
        if (held.Detach())
            command->RemoveReference();
        return command;
    }
    if (!commandFirst) {
        command->Prepare();
        composite->Add(command);
    }
    held.Set(nullptr);
    return composite.release();
}

GCommand* GExtensionManager::StartHook(GCommand* pageStart, uint16_t filter)
{
    return Hook(pageStart, kPageStartKinds[filter ? 1 : 0], true);
}

GCommand* GExtensionManager::EndHook(GCommand* pageEnd, uint16_t filter)
{
    return Hook(pageEnd, kPageEndKinds[filter ? 1 : 0], false);
}
