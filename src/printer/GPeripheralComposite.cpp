#include "printer/GPeripheralComposite.h"

#include "model/GConfiguration.h"
#include "model/GHeldMembers.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GTextConverter.h"
#include "model/GCommand.h"
#include "printer/GPeripheralProxy.h"
#include "model/GState.h"

namespace {

const RWClassID kDocumentStartId = 705;
const RWClassID kDocumentEndId = 706;
const RWClassID kJobAbortId = 713;
const RWClassID kErrorCommandId = 714;
const RWClassID kNoCommandId = 715;

GPeripheral* AsPeripheral(GObjectBase* object)
{
    return object && object->IsKindOf(GPeripheral::kClassId) ? dynamic_cast<GPeripheral*>(object) : nullptr;
}

bool Is(GCommand* command, RWClassID classId) { return command && command->FindByClassId(classId) != nullptr; }

} // namespace

void GPeripheralComposite::MakeOwnParts()
{
    children_.MarkEmbedded();
    activeChildren_.MarkEmbedded();
    ownCurrent_.Set(new GState(GState::kCurrentStateId));
    ownInitial_.Set(new GState(GState::kCurrentStateId));
    ownConfiguration_.Set(new GState(GState::kConfigurationPartId));
}

GPeripheralComposite::GPeripheralComposite() { MakeOwnParts(); }

GPeripheralComposite::GPeripheralComposite(const long& id) : GPersistent(id) { MakeOwnParts(); }

GPeripheralComposite::GPeripheralComposite(const RWCString& name, GState* initialState, GConfiguration* configuration,
                                           const long& id, uint32_t addOnListId, int32_t addOnKind, int32_t addOnMode)
    : GPersistent(name, initialState, configuration, id, addOnListId, addOnKind, addOnMode)
{
    MakeOwnParts();
}

GPeripheralComposite::GPeripheralComposite(const GPeripheralComposite& other)
    : GPersistent(other), ownCurrent_(other.ownCurrent_), ownInitial_(other.ownInitial_),
      ownConfiguration_(other.ownConfiguration_), children_(other.children_), activeChildren_(other.activeChildren_)
{
    children_.MarkEmbedded();
    activeChildren_.MarkEmbedded();
}

GPeripheralComposite& GPeripheralComposite::operator=(const GPeripheralComposite& other)
{
    if (this == &other || !Differs(&other))
        return *this;
    GPeripheral::operator=(other);
    children_ = other.children_;
    activeChildren_ = other.activeChildren_;
    ownCurrent_ = other.ownCurrent_;
    ownInitial_ = other.ownInitial_;
    ownConfiguration_ = other.ownConfiguration_;
    return *this;
}

GPeripheralComposite::~GPeripheralComposite()
{
    for (const GCountedRef& child : HeldChildren())
        if (GPeripheral* peripheral = AsPeripheral(child.Get()))
            peripheral->RemoveListener(this);
    children_.RemoveAll();
    activeChildren_.RemoveAll();
}

// The own parts compare as values, as the peripheral's states do, so that a composite
// read back is the same as the one saved.
bool GPeripheralComposite::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GPeripheralComposite* composite = GSameClass<GPeripheralComposite>(this, other);
    if (!composite || !GPeripheral::IsSame(composite) || !children_.IsSame(&composite->children_))
        return false;
    const GCountedRef* mine[] = {&ownCurrent_, &ownInitial_, &ownConfiguration_};
    const GCountedRef* theirs[] = {&composite->ownCurrent_, &composite->ownInitial_, &composite->ownConfiguration_};
    for (int i = 0; i < 3; ++i) {
        GObjectBase* a = mine[i]->Get();
        GObjectBase* b = theirs[i]->Get();
        if (!a != !b || (a && a->Differs(b)))
            return false;
    }
    return true;
}

std::vector<GCountedRef> GPeripheralComposite::HeldChildren() const
{
    std::vector<GCountedRef> held;
    for (uint32_t i = 0; i < children_.Entries(); ++i)
        held.emplace_back(children_.At(i));
    return held;
}

GPeripheral* GPeripheralComposite::ChildAt(uint32_t index) const
{
    return index < children_.Entries() ? AsPeripheral(children_.At(index)) : nullptr;
}

GState* GPeripheralComposite::GetOwnCurrentPart() const { return dynamic_cast<GState*>(ownCurrent_.Get()); }
GState* GPeripheralComposite::GetOwnInitialPart() const { return dynamic_cast<GState*>(ownInitial_.Get()); }

void GPeripheralComposite::DropListeners(GPeripheral& peripheral)
{
    while (peripheral.ListenerCount() > 0)
        peripheral.RemoveListener(peripheral.ListenerAt(0));
}

void GPeripheralComposite::Add(GObjectBase* object)
{
    GPeripheral* peripheral = AsPeripheral(object);
    if (!peripheral) {
        GObjectBase::Drop(object);
        return;
    }
    children_.Add(peripheral);
    peripheral->AddListener(this);
    NotifyListeners(this);
}

void GPeripheralComposite::Leaving(GPeripheral& child) { child.RemoveListener(this); }

// A member that others share (the active children, a caller) is handed out as a copy;
// neither the member nor the copy keeps this composite as a listener.
GObjectBase* GPeripheralComposite::RemoveMember(const GObjectBase* member, bool peripheralsOnly)
{
    GPeripheral* peripheral = AsPeripheral(const_cast<GObjectBase*>(member));
    if (!member || (peripheralsOnly && !peripheral))
        return nullptr;
    GObjectBase* removed = children_.Remove(member);
    if (!removed)
        return nullptr;
    if (peripheral) {
        Leaving(*peripheral);
        if (GPeripheral* handed = AsPeripheral(removed); handed && handed != peripheral)
            Leaving(*handed);
        NotifyListeners(this);
    }
    return removed;
}

GObjectBase* GPeripheralComposite::Remove(const GObjectBase* object) { return RemoveMember(object, true); }

GObjectBase* GPeripheralComposite::RemoveById(const long& id)
{
    return RemoveMember(children_.FindById(id), false);
}

GObjectBase* GPeripheralComposite::RemoveByClassId(const RWClassID& classId)
{
    return RemoveMember(children_.FindByClassId(classId), false);
}

void GPeripheralComposite::RemoveAll()
{
    for (const GCountedRef& child : HeldChildren())
        if (GPeripheral* peripheral = AsPeripheral(child.Get()))
            Leaving(*peripheral);
    children_.RemoveAll();
}

int GPeripheralComposite::ReplaceById(const long& id, const GObjectBase* newObject)
{
    return children_.ReplaceById(id, newObject);
}
int GPeripheralComposite::ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject)
{
    return children_.ReplaceByClassId(classId, newObject);
}
int GPeripheralComposite::Replace(const GObjectBase* member, const GObjectBase* newObject)
{
    return children_.Replace(member, newObject);
}
int GPeripheralComposite::ReplaceKindOf(const RWClassID& classId, const GObjectBase* newObject)
{
    return children_.ReplaceKindOf(classId, newObject);
}
GObjectBase* GPeripheralComposite::FindById(const long& id) { return children_.FindById(id); }
GObjectBase* GPeripheralComposite::FindByClassId(const RWClassID& classId) { return children_.FindByClassId(classId); }
GObjectBase* GPeripheralComposite::FindSame(const GObjectBase* object) { return children_.FindSame(object); }
GObjectBase* GPeripheralComposite::FindKindOf(const RWClassID& classId) { return children_.FindKindOf(classId); }
GObjectBase* GPeripheralComposite::CollectByClassId(const RWClassID& classId, GObjectBase* into)
{
    return children_.CollectByClassId(classId, into);
}
GObjectBase* GPeripheralComposite::CollectById(const long& id, GObjectBase* into)
{
    return children_.CollectById(id, into);
}
GObjectBase* GPeripheralComposite::SelectById(const long& id) { return children_.SelectById(id); }
GObjectBase* GPeripheralComposite::SelectByClassId(const RWClassID& classId)
{
    return children_.SelectByClassId(classId);
}
GObjectBase* GPeripheralComposite::CollectKindOf(const RWClassID& classId, GObjectBase* into)
{
    return children_.CollectKindOf(classId, into);
}
GObjectBase* GPeripheralComposite::SelectKindOf(const RWClassID& classId) { return children_.SelectKindOf(classId); }
GObjectBase* GPeripheralComposite::AsComposite() { return &children_; }
uint32_t GPeripheralComposite::Entries() const { return children_.Entries(); }
uint32_t GPeripheralComposite::TotalEntries() const { return children_.TotalEntries(); }
GObjectIterator* GPeripheralComposite::CreateIterator() { return children_.CreateIterator(); }

GObjectBase* GPeripheralComposite::DeepCopy() const
{
    GPeripheralComposite* copy = static_cast<GPeripheralComposite*>(GPeripheral::DeepCopy());
    if (!copy)
        return nullptr;
    GCountedRef* parts[] = {&copy->ownCurrent_, &copy->ownInitial_, &copy->ownConfiguration_};
    for (GCountedRef* part : parts)
        if (part->Get())
            part->Set(part->Get()->DeepCopy());
    // The copy shares the source's children until here; it never listened to them.
    copy->children_.RemoveAll();
    copy->activeChildren_.RemoveAll();
    for (const GCountedRef& child : HeldChildren()) {
        GObjectBase* twin = child->DeepCopy();
        if (GPeripheral* peripheral = AsPeripheral(twin))
            DropListeners(*peripheral);
        copy->Add(twin);
    }
    return copy;
}

GCommand* GPeripheralComposite::ReceiveCommand(GCommand* command)
{
    if (!command)
        return command;
    if (Is(command, kDocumentStartId)) {
        InstallAddOns();
        activeChildren_.RemoveAll();
        for (const GCountedRef& child : HeldChildren()) {
            GPeripheral* peripheral = AsPeripheral(child.Get());
            if (!peripheral || !peripheral->IsActive())
                continue;
            command = peripheral->ReceiveCommand(command);
            if (peripheral->IsActive())
                activeChildren_.Add(peripheral);
        }
        return command;
    }
    // Held for the walk: a stage may change the list.
    GHeldMembers active;
    for (uint32_t i = 0; i < activeChildren_.Entries(); ++i)
        active.Add(activeChildren_.At(i));
    // An abort after the document left (a stage sent the whole document on at once, and a
    // later stage failed on it) still reaches every stage that is active.
    if (active.Count() == 0 && Is(command, kJobAbortId))
        for (const GCountedRef& child : HeldChildren())
            active.Add(child.Get());
    for (uint32_t i = 0; i < active.Count(); ++i) {
        GPeripheral* peripheral = AsPeripheral(active.At(i));
        if (!peripheral || !peripheral->IsActive())
            continue;
        command = peripheral->ReceiveCommand(command);
        if (command && (command->ClassId() == kNoCommandId || command->ClassId() == kErrorCommandId))
            return command;
    }
    if (Is(command, kDocumentEndId) || Is(command, kJobAbortId)) {
        RemoveAddOns();
        activeChildren_.RemoveAll();
    }
    return command;
}

void GPeripheralComposite::SetInitialState(GState* state)
{
    GPeripheral::SetInitialState(state);
    ownInitial_.Set(state);
}

void GPeripheralComposite::SetCurrentState(GState* state)
{
    GPeripheral::SetCurrentState(state);
    ownCurrent_.Set(state);
}

void GPeripheralComposite::SetConfiguration(GConfiguration* configuration)
{
    ownConfiguration_.Set(configuration);
    NotifyListeners(this);
}

GState* GPeripheralComposite::NewInitialState() { return GPeripheral::NewInitialState(); }
GState* GPeripheralComposite::NewCurrentState() { return GPeripheral::NewCurrentState(); }

GConfiguration* GPeripheralComposite::NewConfiguration()
{
    GObjectBase* previous = ownConfiguration_.Detach();
    ownConfiguration_.Set(new GConfiguration(GState::kConfigurationPartId));
    GObjectBase* handed = HandOut(previous);
    NotifyListeners(this);
    // The own part made by a constructor is a state: only a configuration is handed back.
    GConfiguration* configuration = dynamic_cast<GConfiguration*>(handed);
    if (!configuration)
        delete handed;
    return configuration;
}

void GPeripheralComposite::Reset()
{
    for (const GCountedRef& child : HeldChildren())
        if (GPeripheral* peripheral = AsPeripheral(child.Get()))
            peripheral->Reset();
    if (GState* initial = GetOwnInitialPart())
        GPeripheral::SetInitialState(initial);
    ownCurrent_.Set(ownInitial_ ? ownInitial_->DeepCopy() : nullptr);
    GPeripheral::Reset();
}

void GPeripheralComposite::RebuildConfiguration()
{
    GConfiguration* configuration = GetConfiguration();
    if (!configuration)
        return;
    configuration->RemoveAll();
    if (GObjectBase* own = ownConfiguration_.Get())
        configuration->Add(own);
    for (const GCountedRef& child : HeldChildren())
        if (GPeripheral* peripheral = AsPeripheral(child.Get()))
            if (GConfiguration* theirs = peripheral->GetConfiguration(); theirs && theirs != configuration)
                configuration->Add(theirs);
}

void GPeripheralComposite::NotifyListeners(GPeripheral*)
{
    RebuildConfiguration();
    GPeripheral::NotifyListeners(this);
}

bool GPeripheralComposite::IsReady()
{
    for (const GCountedRef& child : HeldChildren())
        if (GPeripheral* peripheral = AsPeripheral(child.Get()))
            if (!peripheral->IsReady())
                return false;
    return true;
}

std::pair<float, float> GPeripheralComposite::GetScale(void* context, void* device, void* page, uint32_t* mode)
{
    std::pair<float, float> scale(1.0f, 1.0f);
    for (const GCountedRef& child : HeldChildren()) {
        GPeripheral* peripheral = AsPeripheral(child.Get());
        if (!peripheral || !peripheral->IsActive())
            continue;
        const std::pair<float, float> theirs = peripheral->GetScale(context, device, page, mode);
        scale.first *= theirs.first;
        scale.second *= theirs.second;
        if (scale.first == 0.0f && scale.second == 0.0f)
            break;
    }
    return scale;
}

uint32_t GPeripheralComposite::QueryFlags()
{
    uint32_t flags = 0;
    for (const GCountedRef& child : HeldChildren())
        if (GPeripheral* peripheral = AsPeripheral(child.Get()))
            if (peripheral->IsActive())
                flags |= peripheral->QueryFlags();
    return flags;
}

// Proxies left from a document whose end a child turned into an error go first, so that
// add-ons never run twice. The children move aside and back as the very objects (held
// here, never handed out as copies), so that the chain keeps running on them.
void GPeripheralComposite::InstallAddOns()
{
    if (GetAddOnMode() == GPeripheralProxy::kNever)
        return;
    GConfiguration* configuration = GetConfiguration();
    GObjectBase* list = configuration ? configuration->FindById(long(GetAddOnListId())) : nullptr;
    if (!list)
        return;
    RemoveAddOns();
    std::vector<RWWString> paths;
    if (GObjectIterator* it = list->CreateIterator()) {
        while (it->Next()) {
            GObjectBase* member = it->Current();
            if (!member || member->ClassId() != GStringAttribute::kClassId)
                continue;
            RWWString path;
            ToWideString(static_cast<GStringAttribute*>(member)->GetString(), path);
            paths.push_back(path);
        }
        delete it;
    }
    const std::vector<GCountedRef> aside = HeldChildren();
    RemoveAll();
    for (const RWWString& path : paths) {
        GPeripheralProxy* proxy = new GPeripheralProxy(path, GetAddOnKind(), GetAddOnMode());
        if (proxy->HasAddOn())
            Add(proxy);
        else
            delete proxy;
    }
    for (const GCountedRef& child : aside)
        Add(child.Get());
}

// The proxies leave as the very objects, never as copies: the active children may
// still share them, and the last holder hands each add-on back.
void GPeripheralComposite::RemoveAddOns()
{
    if (GetAddOnMode() == GPeripheralProxy::kNever)
        return;
    bool removed = false;
    if (GObjectIterator* it = children_.CreateIterator()) {
        while (it->Next()) {
            GObjectBase* member = it->Current();
            if (!member || member->ClassId() != GPeripheralProxy::kClassId)
                continue;
            GCountedRef held = it->CurrentRef();
            it->RemoveCurrent();
            Leaving(*static_cast<GPeripheralProxy*>(member));
            removed = true;
        }
        delete it;
    }
    if (removed)
        NotifyListeners(this);
}
