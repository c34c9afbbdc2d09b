#include "entry/extensions/GExtensionManager.h"

#include "model/GAttributeComposite.h"
#include "model/GDynamicLibrary.h"
#include "model/GFeatureIds.h"
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

namespace {

// Writers whose class ids pass-through commands name.
const uint16_t kCheetahClassId = 767;
const uint16_t kPcl5eClassId = 788;

// The data kinds of the page hooks, by filter.
const uint32_t kPageStartKinds[2] = {kExtensionPageStart1, kExtensionPageStart2};
const uint32_t kPageEndKinds[2] = {kExtensionPageEnd1, kExtensionPageEnd2};

GExtensionContext* MakeManager(GDriverObject& owner) { return new GExtensionManager(owner); }

// Every driver object built in this program gets a host.
const bool kMakerRegistered = (GExtensionContext::SetMaker(&MakeManager), true);

template <class T>
T* Member(GObjectBase* holder, long id)
{
    GObjectBase* found = holder ? holder->FindById(id) : nullptr;
    return found && found->IsKindOf(T::kClassId) ? static_cast<T*>(found) : nullptr;
}

// The text of the entry's member into the field, cut so that its NUL still fits.
void CopyText(GObjectBase* entry, long id, char* field, size_t size)
{
    std::memset(field, 0, size);
    if (GStringAttribute* text = Member<GStringAttribute>(entry, id)) {
        const RWCString& value = text->GetString();
        const size_t n = value.Length() < size - 1 ? value.Length() : size - 1;
        std::memcpy(field, value.Data(), n);
    }
}

// The slot an entry's index names; -1 for an entry without one or out of range.
int SlotOf(GObjectBase* entry)
{
    GValueAttribute* index = Member<GValueAttribute>(entry, FeatureId::kExtensionIndex);
    return index && index->GetValue() < GExtensionManager::kSlots ? int(index->GetValue()) : -1;
}

template <class F>
void ForEachMember(GObjectBase* holder, F f)
{
    std::unique_ptr<GObjectIterator> it(holder ? holder->CreateIterator() : nullptr);
    while (it && it->Next())
        if (GObjectBase* member = it->Current())
            f(member);
}

} // namespace

GExtensionManager::GExtensionManager(GDriverObject* owner)
    : descriptors_{}, tables_{}, modules_{}, kinds_{}, owner_(owner), queryFunction_(nullptr), count_(0)
{
    (void)kMakerRegistered;
    context_.driverObject = owner;
}

GExtensionManager::~GExtensionManager() { ClearSlots(); }

int GExtensionManager::Register(const RWWString&) { return kExtensionUnavailable; }

int GExtensionManager::Unregister(const RWWString&) { return kExtensionUnavailable; }

bool GExtensionManager::IsModuleLoaded(int slot) const
{
    return slot >= 0 && slot < kSlots && modules_[slot] && modules_[slot]->IsLoaded();
}

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

// Entries with the same index end in one slot, the later one's; the count is the number
// of slots filled, so that no walk below it meets an empty slot.
void GExtensionManager::ReadDescriptors(GObjectBase* settings)
{
    GObjectBase* container = settings ? settings->FindById(FeatureId::kExtensionContainer) : nullptr;
    GObjectBase* list = container ? container->FindById(FeatureId::kExtensionDescriptorList) : nullptr;
    ForEachMember(list, [&](GObjectBase* entry) {
        const int slot = SlotOf(entry);
        if (slot < 0)
            return;
        if (!descriptors_[slot])
            descriptors_[slot] = new ExtensionDescriptor;
        ExtensionDescriptor& d = *descriptors_[slot];
        CopyText(entry, FeatureId::kExtensionText1, d.text1, sizeof d.text1);
        CopyText(entry, FeatureId::kExtensionName, d.name, sizeof d.name);
        CopyText(entry, FeatureId::kExtensionText2, d.text2, sizeof d.text2);
        GValueAttribute* flags = Member<GValueAttribute>(entry, FeatureId::kExtensionFlags);
        d.flags = flags ? flags->GetValue() : 0;
        CopyText(entry, FeatureId::kExtensionUIModule, d.uiModule, sizeof d.uiModule);
        CopyText(entry, FeatureId::kExtensionRenderModule, d.renderModule, sizeof d.renderModule);
        CopyText(entry, FeatureId::kExtensionText3, d.text3, sizeof d.text3);
        CopyText(entry, FeatureId::kExtensionText4, d.text4, sizeof d.text4);
        context_.descriptors[slot] = &d;
    });
    count_ = 0;
    for (int slot = 0; slot < kSlots; ++slot)
        count_ += descriptors_[slot] ? 1 : 0;
    context_.count = count_;

    GObjectBase* node = settings ? settings->FindById(FeatureId::kExtensionSettingsNode) : nullptr;
    GObjectBase* settingsList = node ? node->FindById(FeatureId::kExtensionSettingsList) : nullptr;
    ForEachMember(settingsList, [&](GObjectBase* entry) {
        const int slot = SlotOf(entry);
        if (slot < 0)
            return;
        GStringAttribute* bytes = Member<GStringAttribute>(entry, FeatureId::kExtensionSettingsBytes);
        context_.settings[slot] = bytes ? bytes->GetString() : RWCString();
    });
}

void GExtensionManager::LoadModules()
{
    RWWString folder;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetModuleDirectory(folder);
    for (int slot = 0; slot < kSlots; ++slot) {
        const ExtensionDescriptor* d = descriptors_[slot];
        if (!d || !(d->flags & kExtensionHasRenderModule))
            continue;
        RWWString path = folder;
        path += L"\\";
        path += RWWString(d->renderModule);
        modules_[slot] = new GDynamicLibrary(path);
        if (!modules_[slot]->Load())
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

// The bytes are copied into the attribute before the module may free or reuse them.
void GExtensionManager::CollectJobData(uint32_t kind, uint16_t compositeId, GState* state)
{
    std::unique_ptr<GAttributeComposite> composite(new GAttributeComposite(compositeId));
    for (int slot = 0; slot < kSlots; ++slot) {
        const ExtensionRenderTable& table = tables_[slot];
        if (!descriptors_[slot] || !table.GetData || !(kinds_[slot] & kind))
            continue;
        uint8_t* bytes = nullptr;
        uint16_t length = 0;
        if (table.GetData(kind, &bytes, &length, this) != kExtensionOk)
            continue;
        composite->Add(new GStringAttribute(RWCString(bytes ? reinterpret_cast<const char*>(bytes) : "",
                                                      bytes ? length : 0),
                                            0));
        if (table.FreeData)
            table.FreeData(bytes, this);
    }
    if (composite->Entries() != 0 && state)
        state->Add(composite.release());
}

// Each block becomes a command owning a copy of its bytes before the module frees it; a
// block that cannot be copied is dropped.
int GExtensionManager::CollectPageData(uint32_t kind, GObjectBase& composite)
{
    const uint16_t target = WriterTarget();
    int appended = 0;
    for (int slot = 0; slot < kSlots; ++slot) {
        const ExtensionRenderTable& table = tables_[slot];
        if (!descriptors_[slot] || !table.GetData || !(kinds_[slot] & kind))
            continue;
        uint8_t* bytes = nullptr;
        uint16_t length = 0;
        if (table.GetData(kind, &bytes, &length, this) != kExtensionOk)
            continue;
        std::unique_ptr<GPassThroughCommand> command(new GPassThroughCommand(bytes, length, target, 0));
        if (command->MakeDataOwned()) {
            composite.Add(command.release());
            ++appended;
        }
        if (table.FreeData)
            table.FreeData(bytes, this);
    }
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
