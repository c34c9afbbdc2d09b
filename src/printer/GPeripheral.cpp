#include "printer/GPeripheral.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWMessage.h"
#include "foundation/RWReadTable.h"
#include "foundation/RWStoreTable.h"
#include "graphics/GOutputChannel.h"
#include "model/GConfiguration.h"
#include "model/GObjectIterator.h"
#include "model/GStoredCounts.h"
#include "model/MPersistentCompositeOnDisk.h"
#include "model/GCommand.h"
#include "model/GAttributeComposite.h"
#include "model/GErrorCommand.h"
#include "model/GHeldMembers.h"
#include "model/GState.h"
#include "printer/GSettingsClasses.h"

#include <algorithm>

namespace {

// The status of a spooled page that cannot be read back.
constexpr uint16_t kSpoolReadFailed = 2;

// The member store of a spooled page reports a failure.
bool PageUnreadable(GObjectBase* store)
{
    const MPersistentCompositeOnDisk* records = dynamic_cast<const MPersistentCompositeOnDisk*>(store);
    return records && const_cast<MPersistentCompositeOnDisk*>(records)->HasFailed() != 0;
}

const RWClassID kCommandCompositeOnDiskId = 606;
const RWClassID kErrorCommandId = GErrorCommand::kClassId;
const RWClassID kNoCommandId = 715;
const RWClassID kTransformAttributeId = 103;
const uint8_t kListMarker = ':';
const uint8_t kListReference = '@';

GState* AsState(GObjectBase* object)
{
    return object && object->IsKindOf(GState::kClassId) ? static_cast<GState*>(object) : nullptr;
}

GState* CurrentStateOf(GState* state)
{
    if (state)
        state->SetId(GState::kCurrentStateId);
    return state;
}


} // namespace

GPeripheral::GPeripheral() : GPeripheral(0L) {}

GPeripheral::GPeripheral(const long& id)
    : GStoredLevel(id), channel_(nullptr), ownsChannel_(0), graphicState_(nullptr), pageState_(nullptr),
      documentState_(nullptr), phase_(kIdle), addOnListId_(64), addOnKind_(6), addOnMode_(2),
      currentState_(new GState(GState::kCurrentStateId)), initialState_(new GState(GState::kCurrentStateId)),
      configuration_(new GConfiguration(GState::kConfigurationPartId)), active_(1), notifying_(false)
{
}

GPeripheral::GPeripheral(const RWCString& name, GState* initialState, GConfiguration* configuration,
                         const long& id, uint32_t addOnListId, int32_t addOnKind, int32_t addOnMode)
    : GStoredLevel(id), name_(name), channel_(nullptr), ownsChannel_(0), graphicState_(nullptr),
      pageState_(nullptr), documentState_(nullptr), phase_(kIdle), addOnListId_(addOnListId),
      addOnKind_(addOnKind), addOnMode_(addOnMode), active_(1), notifying_(false)
{
    // Called here, the operations are this class's own: no subclass exists yet.
    GPeripheral::SetConfiguration(configuration ? configuration : new GConfiguration);
    GPeripheral::SetInitialState(initialState ? initialState : new GState);
    GPeripheral::SetCurrentState(new GState);
    GPeripheral::Reset();
}

GPeripheral::GPeripheral(const GPeripheral& other)
    : GStoredLevel(other), name_(other.name_), channel_(nullptr), ownsChannel_(0), graphicState_(nullptr),
      pageState_(nullptr), documentState_(nullptr), phase_(kIdle), addOnListId_(other.addOnListId_),
      addOnKind_(other.addOnKind_), addOnMode_(other.addOnMode_), currentState_(other.currentState_),
      initialState_(other.initialState_), configuration_(other.configuration_), active_(other.active_),
      notifying_(false)
{
    CopyListeners(other);
}

GPeripheral& GPeripheral::operator=(const GPeripheral& other)
{
    if (this == &other || !Differs(&other))
        return *this;
    GAttribute::operator=(other);
    name_ = other.name_;
    addOnListId_ = other.addOnListId_;
    addOnKind_ = other.addOnKind_;
    addOnMode_ = other.addOnMode_;
    active_ = other.active_;
    CopyListeners(other);
    currentState_ = other.currentState_;
    initialState_ = other.initialState_;
    configuration_ = other.configuration_;
    // The channel belongs to the job this peripheral ran; it is not carried over.
    channel_ = nullptr;
    ownsChannel_ = 0;
    phase_ = kIdle;
    ClearSubStates();
    return *this;
}

GPeripheral::~GPeripheral() { DropChannel(); }

void GPeripheral::CopyListeners(const GPeripheral& other)
{
    listeners_.Clear();
    for (size_t i = 0; i < other.listeners_.Entries(); ++i)
        listeners_.Append(other.listeners_.At(i));
}

GPeripheral* GPeripheral::ListenerAt(size_t index) const
{
    return index < listeners_.Entries() ? static_cast<GPeripheral*>(listeners_.At(index)) : nullptr;
}

void GPeripheral::SetOutputChannel(GOutputChannel* channel, bool owned)
{
    if (channel != channel_)
        DropChannel();
    channel_ = channel;
    ownsChannel_ = channel && owned ? 1 : 0;
}

void GPeripheral::DropChannel()
{
    if (ownsChannel_)
        delete channel_;
    channel_ = nullptr;
    ownsChannel_ = 0;
}

void GPeripheral::ClearSubStates()
{
    graphicState_ = nullptr;
    pageState_ = nullptr;
    documentState_ = nullptr;
}

bool GPeripheral::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GPeripheral* peripheral = other ? dynamic_cast<const GPeripheral*>(other) : nullptr;
    if (!peripheral || !GAttribute::IsSame(peripheral) || GetStateWord() != peripheral->GetStateWord())
        return false;
    if (!(name_ == peripheral->name_) || phase_ != peripheral->phase_ || addOnListId_ != peripheral->addOnListId_ ||
        addOnKind_ != peripheral->addOnKind_ || addOnMode_ != peripheral->addOnMode_ ||
        active_ != peripheral->active_ || listeners_.Entries() != peripheral->listeners_.Entries())
        return false;
    for (size_t i = 0; i < listeners_.Entries(); ++i)
        if (listeners_.At(i) != peripheral->listeners_.At(i))
            return false;
    const GCountedRef* mine[] = {&currentState_, &initialState_, &configuration_};
    const GCountedRef* theirs[] = {&peripheral->currentState_, &peripheral->initialState_,
                                   &peripheral->configuration_};
    for (int i = 0; i < 3; ++i) {
        GObjectBase* a = mine[i]->Get();
        GObjectBase* b = theirs[i]->Get();
        if (!a != !b || (a && a->Differs(b)))
            return false;
    }
    return true;
}

GObjectBase* GPeripheral::DeepCopy() const
{
    GPeripheral* copy = static_cast<GPeripheral*>(Copy());
    if (!copy)
        return nullptr;
    GCountedRef* refs[] = {&copy->currentState_, &copy->initialState_, &copy->configuration_};
    for (GCountedRef* ref : refs)
        if (ref->Get())
            ref->Set(ref->Get()->DeepCopy());
    copy->ClearSubStates();
    return copy;
}

int16_t GPeripheral::ApplyTo(GAttributeVisitor& target)
{
    GState* current = GetCurrentState();
    if (!current)
        return 0;
    int16_t result = 0;
    // Held, so that applying one may change the tree.
    const GHeldMembers members(current);
    for (uint32_t i = 0; i < members.Count(); ++i)
        if (GAttribute* attribute = dynamic_cast<GAttribute*>(members.At(i)))
            if (const int16_t status = attribute->ApplyTo(target))
                result = status;
    SetStateWord(0);
    return result;
}

GCommand* GPeripheral::ReceiveCommand(GCommand* command)
{
    if (!command || !IsActive())
        return command;
    GCountedRef held(command);
    command->ClearModified();
    if (command->AsComposite())
        held = ProcessComposite(held);
    GCommand* current = static_cast<GCommand*>(held.Get());
    if (current && !current->AsComposite() && current->ClassId() != kNoCommandId &&
        current->ClassId() != kErrorCommandId) {
        if (GState* state = current->GetState()) {
            AbsorbState(state);
            ApplyState(state->GetId());
        }
        held = ProcessCommand(held);
    }
    // The caller takes the result over: the hold ends without deleting it.
    GObjectBase* result = held.Detach();
    if (result)
        result->RemoveReference();
    return static_cast<GCommand*>(result);
}

void GPeripheral::SetInitialState(GState* state) { initialState_.Set(CurrentStateOf(state)); }

void GPeripheral::SetCurrentState(GState* state)
{
    currentState_.Set(CurrentStateOf(state));
    ClearSubStates();
}

void GPeripheral::SetConfiguration(GConfiguration* configuration)
{
    configuration_.Set(configuration);
    NotifyListeners(this);
}

GState* GPeripheral::NewInitialState()
{
    GObjectBase* previous = initialState_.Detach();
    initialState_.Set(new GState(GState::kCurrentStateId));
    return static_cast<GState*>(HandOut(previous));
}

GState* GPeripheral::NewCurrentState()
{
    GObjectBase* previous = currentState_.Detach();
    currentState_.Set(new GState(GState::kCurrentStateId));
    ClearSubStates();
    return static_cast<GState*>(HandOut(previous));
}

GConfiguration* GPeripheral::NewConfiguration()
{
    GObjectBase* previous = configuration_.Detach();
    configuration_.Set(new GConfiguration);
    GConfiguration* handed = static_cast<GConfiguration*>(HandOut(previous));
    NotifyListeners(this);
    return handed;
}

void GPeripheral::Reset()
{
    Activate();
    currentState_.Set(nullptr);
    if (GObjectBase* initial = initialState_.Get())
        currentState_.Set(initial->DeepCopy());
    ClearSubStates();
    NotifyListeners(this);
    DropChannel();
}

void GPeripheral::SetName(const RWCString& name) { name_ = name; }

GCountedRef GPeripheral::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    const int16_t status = target->Execute(*this);
    if (status == 0)
        return command;
    return GCountedRef(new GErrorCommand(uint16_t(status), target, 0));
}

// The walk stops at the first member that fails; that member's error command is left in
// its place, so that the sender finds the failure by class in what comes back.
GCountedRef GPeripheral::ProcessComposite(const GCountedRef& command)
{
    GObjectBase* composite = command ? command->AsComposite() : nullptr;
    if (!composite)
        return command;
    const bool onDisk = composite->ClassId() == kCommandCompositeOnDiskId;
    // A spooled page whose records cannot be read back is a failed page, not an empty one.
    const bool spooledPage = command->ClassId() == kCommandCompositeOnDiskId;
    // A spooled page is walked through its own iterator, which reloads the fonts its
    // records refer to before reading them; its records' store alone would not.
    GObjectIterator* it = spooledPage ? command->CreateIterator() : composite->CreateIterator();
    if (!it || (spooledPage && PageUnreadable(composite))) {
        delete it;
        return spooledPage ? GCountedRef(new GErrorCommand(kSpoolReadFailed, static_cast<GCommand*>(command.Get()), 0))
                      : command;
    }
    uint32_t read = 0;
    while (IsActive() && it->Next()) {
        GCountedRef member = it->CurrentRef();
        if (member)
            ++read;
        GCommand* submitted = dynamic_cast<GCommand*>(member.Get());
        if (!submitted)
            continue;
        GCountedRef result(ReceiveCommand(submitted));
        GCommand* answer = static_cast<GCommand*>(result.Get());
        if (!answer)
            continue;
        const bool failed = answer->ClassId() == kErrorCommandId;
        if (failed || answer != submitted || answer->GetModified()) {
            answer->ClearModified();
            if (onDisk)
                composite->Replace(submitted, answer);
            else
                it->ReplaceCurrentRef(result);
            if (GCommand* whole = dynamic_cast<GCommand*>(composite))
                whole->SetModified();
        }
        if (failed)
            break;
    }
    delete it;
    // A spooled page holds at least its page start: one that gives nothing back lost its
    // records.
    if (spooledPage && (PageUnreadable(composite) || (read == 0 && IsActive())))
        return GCountedRef(new GErrorCommand(kSpoolReadFailed, static_cast<GCommand*>(command.Get()), 0));
    return command;
}

void GPeripheral::AbsorbState(GState* state)
{
    if (!state)
        return;
    if (GState* into = FindState(state->GetId()))
        into->Assign(state);
}

// A changed transform makes every graphic attribute pending again, and is applied
// itself only once.
void GPeripheral::ApplyState(const long& id)
{
    GState* state = FindState(id);
    if (!state)
        return;
    if (id == GState::kGraphicStateId) {
        GAttribute* transform = dynamic_cast<GAttribute*>(state->FindByClassId(kTransformAttributeId));
        if (transform && transform->GetStateWord() != 0) {
            GCountedRef hold(transform);
            transform->ApplyTo(*this);
            state->MarkAllPending();
            transform->SetStateWord(0);
        }
    }
    // Held, so that applying one may change the tree.
    const GHeldMembers members(state);
    for (uint32_t i = 0; i < members.Count(); ++i)
        if (GAttribute* attribute = dynamic_cast<GAttribute*>(members.At(i)))
            if (attribute->GetStateWord() != 0)
                attribute->ApplyTo(*this);
}

void GPeripheral::AddListener(GPeripheral* listener)
{
    if (listener)
        listeners_.Append(listener);
}

void GPeripheral::RemoveListener(GPeripheral* listener)
{
    if (listener)
        listeners_.RemoveReference(listener);
}

// Restored listener lists can form cycles: a peripheral that is already notifying is
// not entered again.
void GPeripheral::NotifyListeners(GPeripheral*)
{
    if (notifying_)
        return;
    notifying_ = true;
    for (size_t i = 0; i < listeners_.Entries(); ++i)
        ListenerAt(i)->NotifyListeners(this);
    notifying_ = false;
}

GState** GPeripheral::SubStateSlot(const long& id)
{
    switch (id) {
    case GState::kDocumentStateId:
        return &documentState_;
    case GState::kPageStateId:
        return &pageState_;
    case GState::kGraphicStateId:
        return &graphicState_;
    default:
        return nullptr;
    }
}

namespace {

GState* FindStateById(GObjectBase* tree, const long& id);

// The test of one member of the walk below: the member itself, or the first state with
// the id inside it.
GState* StateInMember(GObjectBase* member, const long& id)
{
    if (!member)
        return nullptr;
    GState* found = nullptr;
    if (member->GetId() == id)
        found = AsState(member);
    if (!found && member->AsComposite())
        found = FindStateById(member, id);
    return found;
}

// The first state with the id in the tree, depth first; members of other classes with
// that id are passed over. A state's members are read by index: every command on its
// way through the chain asks this several times.
GState* FindStateById(GObjectBase* tree, const long& id)
{
    if (GAttributeComposite* plain = GHeldMembers::AsPlainComposite(tree)) {
        for (uint32_t i = 0; i < plain->Entries(); ++i)
            if (GState* found = StateInMember(plain->At(i), id))
                return found;
        return nullptr;
    }
    GState* found = nullptr;
    if (GObjectIterator* it = tree->CreateIterator()) {
        while (!found && it->Next())
            found = StateInMember(it->Current(), id);
        delete it;
    }
    return found;
}

} // namespace

// The cached pointer is used only while the current state still holds it under its
// id: a member removed or replaced behind the peripheral's back is looked up afresh.
GState* GPeripheral::FindState(const long& id)
{
    GState* current = GetCurrentState();
    GState** slot = SubStateSlot(id);
    if (!slot || !current)
        return current;
    GState* state = FindStateById(current, id);
    if (!state) {
        GCountedRef made(new GState(id));
        current->Add(made.Get());
        // Only the reference here: the state did not take it.
        if (made->References() == 0)
            return *slot = nullptr;
        state = static_cast<GState*>(made.Get());
    }
    *slot = state;
    return state;
}

void GPeripheral::EnterDocument() { phase_ = kInDocument; }
void GPeripheral::EnterPage() { phase_ = kInPage; }
void GPeripheral::ResetPhase() { phase_ = kIdle; }

GState* GPeripheral::GetCurrentState() const { return AsState(currentState_.Get()); }
GState* GPeripheral::GetInitialState() const { return AsState(initialState_.Get()); }
GConfiguration* GPeripheral::GetConfiguration() const
{
    GObjectBase* configuration = configuration_.Get();
    return configuration && configuration->IsKindOf(GConfiguration::kClassId)
               ? static_cast<GConfiguration*>(configuration)
               : nullptr;
}
RWCString GPeripheral::GetName() const { return name_; }
bool GPeripheral::InDocument() const { return phase_ == kInDocument; }
bool GPeripheral::InPage() const { return phase_ == kInPage; }
bool GPeripheral::IsReady() { return true; }
std::pair<float, float> GPeripheral::GetScale(void*, void*, void*, uint32_t*) { return {1.0f, 1.0f}; }

int16_t GPeripheral::DrawArc(GCommand&) { return 0; }
int16_t GPeripheral::DrawChord(GCommand&) { return 0; }
int16_t GPeripheral::DrawEllipse(GCommand&) { return 0; }
int16_t GPeripheral::EndScanBlock(GCommand&) { return 0; }
int16_t GPeripheral::DrawPath(GPathGraphic&) { return 0; }
int16_t GPeripheral::DrawPie(GCommand&) { return 0; }
int16_t GPeripheral::DrawPolyBezier(GPolyBezierGraphic&) { return 0; }
int16_t GPeripheral::DrawPointRun(GCommand&) { return 0; }
int16_t GPeripheral::DrawPolyline(GCommand&) { return 0; }
int16_t GPeripheral::DrawLineToRun(GCommand&) { return 0; }
int16_t GPeripheral::DrawPolygon(GPolygonGraphic&) { return 0; }
int16_t GPeripheral::DrawRectangle(GRectangleGraphic&) { return 0; }
int16_t GPeripheral::DrawRaster(GRasterGraphic&) { return 0; }
int16_t GPeripheral::DrawRoundRectangle(GCommand&) { return 0; }
int16_t GPeripheral::DrawScanLine(GCommand&) { return 0; }
int16_t GPeripheral::BeginScanBlock(GCommand&) { return 0; }
int16_t GPeripheral::DrawTextString(GTextStringGraphic&) { return 0; }
int16_t GPeripheral::DownloadFace(GDownloadFace&) { return 0; }

int16_t GPeripheral::OnDocumentStart(GDocumentStart&)
{
    EnterDocument();
    return 0;
}

int16_t GPeripheral::OnDocumentEnd(GDocumentEnd&)
{
    ResetPhase();
    return 0;
}

int16_t GPeripheral::OnDocumentEvent(GCommand&) { return 0; }

int16_t GPeripheral::OnPageStart(GPageStart&)
{
    EnterPage();
    return 0;
}

int16_t GPeripheral::OnPageEnd(GPageEnd&)
{
    EnterDocument();
    return 0;
}

int16_t GPeripheral::OnJobAbort(GJobAbort&)
{
    ResetPhase();
    return ownsChannel_ && channel_ ? channel_->Finish() : 0;
}

int16_t GPeripheral::OnError(GErrorCommand&) { return 0; }
int16_t GPeripheral::OnPassThrough(GPassThroughCommand&) { return 0; }
int16_t GPeripheral::OnDownloadHeader(GDownloadHeaderCommand&) { return 0; }

int16_t GPeripheral::SetPdlWriter(GCheetah&) { return 0; }
int16_t GPeripheral::SetPdlWriter(GPcl5e&) { return 0; }
int16_t GPeripheral::SetPdlWriter(GPostScript&) { return 0; }
int16_t GPeripheral::SetPjlWriter(GPJL&) { return 0; }
int16_t GPeripheral::ApplyMedia(GMedia&) { return 0; }
int16_t GPeripheral::ApplyTray(GTray&) { return 0; }

// A restore starts idle with no sub-states; with a version other than 1 the fields keep
// their values.
template <class In>
void GPeripheral::ReadForm(In& in)
{
    phase_ = kIdle;
    ClearSubStates();
    GReadForm(in, StoredForm());
}

namespace {

// One held object reference of the given kind (null allowed). Another kind is refused
// and ends the restore.
template <class In>
bool ReadHeld(In& in, GCountedRef& ref, RWClassID kind)
{
    GObjectBase* object = GObjectBase::RestoreHeld(in);
    if (GObjectBase::RestoreStopped(in)) {
        GObjectBase::Drop(object);
        return false;
    }
    if (object && !object->IsKindOf(kind)) {
        GRefuseStored(in);
        GObjectBase::Drop(object);
        return false;
    }
    ref.Set(object);
    return true;
}

template <class In>
void RefuseReference(In& in)
{
    RWRaiseInternal(RWMessageBadReference());
    GRefuseStored(in);
}

bool IsPeripheralObject(const RWCollectable* object) { return dynamic_cast<const GPeripheral*>(object) != nullptr; }

} // namespace

// The list is ':' with the listeners, or '@' naming this same list when the store
// wrote it before. The listeners are borrowed; those this read made are deleted again
// when the list cannot be had whole.
template <class In>
bool GPeripheral::ReadListeners(In& in, std::vector<GPeripheral*>& listeners, bool& keep)
{
    RWReadTable* table = RWReadTable::Current();
    uint8_t marker = 0;
    if (!GReadField(in, marker))
        return false;
    if (marker == kListReference) {
        uint32_t number = 0;
        RWCollectable* named = nullptr;
        if (!GReadField(in, number))
            return false;
        if (!table || !table->ObjectAt(number, named) || named != &listeners_) {
            RefuseReference(in);
            return false;
        }
        keep = true;
        return true;
    }
    if (marker != kListMarker) {
        RefuseReference(in);
        return false;
    }
    if (table)
        table->AppendObject(&listeners_, true);
    uint32_t count = 0;
    if (!GReadField(in, count) || !GCheckStoredCount(in, count, 2))
        return false;
    std::vector<GPeripheral*> made;
    bool whole = true;
    for (uint32_t i = 0; i < count && whole; ++i) {
        const uint32_t number = table ? table->Entries() : 0;
        // A listener is a peripheral: any other stored class is refused before it is made.
        RWCollectable* object =
            RWCollectable::RestoreKindOf(in, IsPeripheralObject, GPeripheral::kClassId, RWHolding::Borrowed);
        RWCollectable* entry = nullptr;
        const bool fresh = object && table && table->ObjectAt(number, entry) && entry == object;
        GPeripheral* listener = dynamic_cast<GPeripheral*>(object);
        if (fresh && listener)
            made.push_back(listener);
        if (object && (!listener || RestoreStopped(in))) {
            if (fresh) {
                table->Vacate(number);
                delete object;
            }
            if (!listener)
                RefuseReference(in);
            whole = false;
        } else if (!object) {
            if (!RestoreStopped(in))
                RefuseReference(in);
            whole = false;
        } else {
            listeners.push_back(listener);
        }
    }
    if (!whole) {
        for (GPeripheral* listener : made)
            if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end())
                delete listener;
        return false;
    }
    return true;
}

template <class In>
bool GPeripheral::ReadStored(In& in)
{
    GCountedRef initial, current, configuration;
    {
        // The states and the configuration are settings: the bytes make nothing else.
        GSettingsClasses::Scope settingsOnly;
        if (!ReadHeld(in, initial, GState::kClassId) || !ReadHeld(in, current, GState::kClassId) ||
            !ReadHeld(in, configuration, GConfiguration::kClassId))
            return false;
    }
    std::vector<GPeripheral*> listeners;
    bool keep = false;
    if (!ReadListeners(in, listeners, keep))
        return false;
    RWCString name;
    uint32_t listId = 0;
    int32_t kind = 0;
    int32_t mode = 0;
    if (!GReadField(in, name) || !GReadField(in, listId) || !GReadField(in, kind) || !GReadField(in, mode)) {
        // The listeners this read made stay known to the restore; only they were read.
        return false;
    }
    initialState_ = initial;
    currentState_ = current;
    configuration_ = configuration;
    if (!keep) {
        listeners_.Clear();
        for (GPeripheral* listener : listeners)
            listeners_.Append(listener);
    }
    name_ = name;
    addOnListId_ = listId;
    addOnKind_ = kind;
    addOnMode_ = mode;
    return true;
}

template <class Out>
void GPeripheral::WriteStored(Out& out) const
{
    RWStoreTableGuard guard(RWStoreTableGuard::kSave);
    GFormWrite(out, initialState_);
    GFormWrite(out, currentState_);
    GFormWrite(out, configuration_);
    uint32_t number = 0;
    if (guard.Table().Add(&listeners_, number)) {
        GWriteField(out, kListMarker);
        GWriteField(out, uint32_t(listeners_.Entries()));
        for (size_t i = 0; i < listeners_.Entries(); ++i)
            out << listeners_.At(i);
    } else {
        GWriteField(out, kListReference);
        GWriteField(out, number);
    }
    GWriteField(out, name_);
    GWriteField(out, addOnListId_);
    GWriteField(out, addOnKind_);
    GWriteField(out, addOnMode_);
}

uint32_t GPeripheral::StoredSize() const
{
    RWStoreTableGuard guard(RWStoreTableGuard::kSize);
    uint32_t size = GFieldSize(initialState_) + GFieldSize(currentState_) + GFieldSize(configuration_) + 1 + 4;
    uint32_t number = 0;
    if (guard.Table().Add(&listeners_, number))
        for (size_t i = 0; i < listeners_.Entries(); ++i)
            size += listeners_.At(i)->RecursiveStoreSize();
    return size + GFieldSize(name_) + 12;
}

template void GPeripheral::ReadForm(RWBinaryFile&);
template void GPeripheral::ReadForm(RWDataInStream&);
template void GPeripheral::WriteStored(RWBinaryFile&) const;
template void GPeripheral::WriteStored(RWDataOutStream&) const;
