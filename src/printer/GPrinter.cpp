#include "printer/GPrinter.h"

#include "graphics/GDocumentCommand.h"
#include "graphics/GOutputChannel.h"
#include "model/GConfiguration.h"
#include "model/GProviderRegistry.h"
#include "model/GStringAttribute.h"
#include "model/GCommand.h"
#include "model/GErrorCommand.h"
#include "model/GCommandClassIds.h"
#include "model/GState.h"
#include "printer/GDocumentStartView.h"
#include "printer/GWriterCopier.h"

namespace {


GPeripheral* AsPeripheral(GObjectBase* object)
{
    return object && object->IsKindOf(GPeripheral::kClassId) ? dynamic_cast<GPeripheral*>(object) : nullptr;
}

bool IsPdlWriter(const GObjectBase* object) { return object && object->IsKindOf(kPdlWriterClassId); }

void RemoveAddOnsOf(GPeripheral* writer)
{
    if (GPeripheralComposite* composite = dynamic_cast<GPeripheralComposite*>(writer))
        composite->RemoveAddOns();
}

void InstallAddOnsOf(GPeripheral* writer)
{
    if (GPeripheralComposite* composite = dynamic_cast<GPeripheralComposite*>(writer))
        composite->InstallAddOns();
}

} // namespace

GPrinter::GPrinter() : mode_(2), pjlWriter_(nullptr), pdlWriter_(nullptr) { Rebuild(); }

GPrinter::GPrinter(const long& id) : GPersistent(id), mode_(2), pjlWriter_(nullptr), pdlWriter_(nullptr)
{
    Rebuild();
}

GPrinter::GPrinter(const RWCString& name, GState* initialState, GConfiguration* configuration, const long& id)
    : GPersistent(name, initialState, configuration, id, 0, 6, 2), mode_(2), pjlWriter_(nullptr),
      pdlWriter_(nullptr)
{
    Rebuild();
}

GPrinter::GPrinter(const GPrinter& other)
    : GPersistent(other), mode_(other.mode_), pjlWriter_(other.pjlWriter_), pdlWriter_(other.pdlWriter_)
{
}

GPrinter::~GPrinter()
{
    pjlWriter_ = nullptr;
    pdlWriter_ = nullptr;
}

bool GPrinter::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GPrinter* printer = GSameClass<GPrinter>(this, other);
    return printer && GPeripheral::IsSame(printer) && mode_ == printer->mode_;
}

void GPrinter::Add(GObjectBase* object)
{
    GPeripheral* peripheral = AsPeripheral(object);
    if (peripheral && IsPdlWriter(peripheral))
        if (GState* state = peripheral->GetCurrentState())
            state->Add(new GStringAttribute(peripheral->GetName(), kWriterNameId));
    GPeripheralComposite::Add(object);
}

void GPrinter::Leaving(GPeripheral& child)
{
    if (IsPdlWriter(&child))
        if (GState* state = child.GetCurrentState())
            delete state->RemoveById(kWriterNameId);
    GPeripheralComposite::Leaving(child);
}

GCommand* GPrinter::ReceiveCommand(GCommand* command) { return GPeripheral::ReceiveCommand(command); }

void GPrinter::ApplyState(const long&) {}

// A writer that is missing has its steps skipped; the printer's own handlers still run.
GCountedRef GPrinter::ProcessCommand(const GCountedRef& command)
{
    GCommand* original = static_cast<GCommand*>(command.Get());
    if (!original)
        return command;
    GCountedRef current = command;
    GState* state = original->GetState();
    const long stateId = state ? state->GetId() : 0;
    auto receive = [&](GPeripheral* writer) {
        if (!writer)
            return;
        GCommand* answer = writer->ReceiveCommand(static_cast<GCommand*>(current.Get()));
        if (answer != current.Get())
            current = GCountedRef(answer);
    };
    auto hand = [&](GPeripheral* writer) {
        if (!writer)
            return;
        writer->ApplyState(stateId);
        receive(writer);
    };
    auto fail = [&](int16_t status) {
        if (status != 0)
            current = GCountedRef(new GErrorCommand(uint16_t(status), static_cast<GCommand*>(current.Get()), 0));
    };
    // Held: a handler may change the children, and with them the cached pointers.
    GCountedRef pjl(pjlWriter_);
    GCountedRef pdl(pdlWriter_);
    GPeripheral* pjlWriter = pjlWriter_;
    GPeripheral* pdlWriter = pdlWriter_;

    switch (original->ClassId()) {
    case kDocumentStartClassId:
        InstallAddOnsOf(pjlWriter);
        InstallAddOnsOf(pdlWriter);
        fail(original->Execute(*this));
        hand(pjlWriter);
        hand(pdlWriter);
        break;
    case kDocumentEndClassId:
        if (state) {
            hand(pdlWriter);
            hand(pjlWriter);
        }
        fail(original->Execute(*this));
        RemoveAddOnsOf(pdlWriter);
        RemoveAddOnsOf(pjlWriter);
        break;
    case kJobAbortClassId:
        receive(pdlWriter);
        receive(pjlWriter);
        fail(original->Execute(*this));
        RemoveAddOnsOf(pdlWriter);
        RemoveAddOnsOf(pjlWriter);
        break;
    case kPageEndClassId:
        if (state) {
            hand(pdlWriter);
            hand(pjlWriter);
        }
        fail(original->Execute(*this));
        break;
    default:
        if (!pdlWriter)
            break;
        if (state)
            pdlWriter->ApplyState(stateId);
        fail(original->Execute(*pdlWriter));
        break;
    }
    return current;
}

void GPrinter::NotifyListeners(GPeripheral*) { Rebuild(); }

// Every child ends up holding the very states the printer holds: the new states start
// empty and take in, by merging, the printer's own parts and every child's states.
void GPrinter::Rebuild()
{
    RebuildConfiguration();
    FindWriters();
    GState* current = new GState(GState::kCurrentStateId);
    GState* initial = new GState(GState::kCurrentStateId);
    GCountedRef heldCurrent(current);
    GCountedRef heldInitial(initial);
    current->Assign(GetOwnCurrentPart());
    initial->Assign(GetOwnInitialPart());
    const std::vector<GCountedRef> children = HeldChildren();
    for (const GCountedRef& child : children)
        if (GPeripheral* peripheral = AsPeripheral(child.Get())) {
            initial->Assign(peripheral->GetInitialState());
            current->Assign(peripheral->GetCurrentState());
        }
    GPeripheral::SetInitialState(initial);
    GPeripheral::SetCurrentState(current);
    for (const GCountedRef& child : children)
        if (GPeripheral* peripheral = AsPeripheral(child.Get())) {
            peripheral->SetInitialState(initial);
            peripheral->SetCurrentState(current);
        }
    GPeripheral::NotifyListeners(this);
}

void GPrinter::FindWriters()
{
    pjlWriter_ = AsPeripheral(FindById(kPjlWriterId));
    pdlWriter_ = AsPeripheral(FindById(kPdlWriterId));
}

// A channel that comes with the command belongs to whoever made it. One that a provider
// opens belongs to the printer; a provider's channel that is already finished can never
// be started, so it counts as none.
int16_t GPrinter::OnDocumentStart(GDocumentStart& start)
{
    if (!GDocumentStartView::document)
        return 0;
    GDocumentCommand& command = *GDocumentStartView::document(start);
    SetOutputChannel(nullptr, false);
    if (GOutputChannel* carried = command.GetOutputChannel()) {
        SetOutputChannel(carried, false);
    } else {
        GOutputChannel* opened = GProviderRegistry::Instance().Open(command.GetOutputName(), GDocumentStartView::producer(start), 0);
        SetOutputChannel(opened, true);
        if (!opened || opened->GetState() == GOutputChannel::kFinished)
            return kNoChannel;
        command.SetOutputChannel(opened);
    }
    if (OwnsOutputChannel())
        if (const int16_t status = GetOutputChannel()->Open(command.GetDocumentName()))
            return status;
    EnterDocument();
    return 0;
}

int16_t GPrinter::EndChannel(bool abort)
{
    if (!OwnsOutputChannel())
        return 0;
    GOutputChannel* channel = GetOutputChannel();
    const int16_t status = abort ? channel->Abort() : channel->Close();
    SetOutputChannel(nullptr, false);
    return status;
}

int16_t GPrinter::OnDocumentEnd(GDocumentEnd&)
{
    const int16_t status = EndChannel(false);
    ResetPhase();
    return status;
}

// The page's data ends and the channel's page boundary flushes what it holds: the
// page end answers the flush's status, or the end's when the end failed.
int16_t GPrinter::OnPageEnd(GPageEnd&)
{
    GOutputChannel* channel = GetOutputChannel();
    if (!channel)
        return 0;
    const int16_t ended = channel->EndData();
    const int16_t flushed = channel->PageBoundary();
    return ended ? ended : flushed;
}

int16_t GPrinter::OnJobAbort(GJobAbort&)
{
    ResetPhase();
    return EndChannel(true);
}

// The copy keeps none of the listeners of the writer it was made from: that writer may
// belong to another composite that is deleted first.
int16_t GPrinter::InstallWriter(long writerId, GPeripheral* copy)
{
    if (GState* current = GetCurrentState())
        delete current->RemoveById(writerId);
    delete RemoveById(writerId);
    GPeripheral::SetCurrentState(GetCurrentState());
    DropListeners(*copy);
    Add(copy);
    NotifyListeners(this);
    return 0;
}

// The copy comes from the copier the writer registered (GWriterCopier).
template <class Writer>
int16_t GPrinter::InstallCopyOf(long writerId, const Writer& writer)
{
    GPeripheral* (*copy)(const Writer&) = GWriterCopier<Writer>::copy;
    return copy ? InstallWriter(writerId, copy(writer)) : 0;
}

int16_t GPrinter::SetPdlWriter(GCheetah& writer) { return InstallCopyOf(kPdlWriterId, writer); }
int16_t GPrinter::SetPdlWriter(GPcl5e& writer) { return InstallCopyOf(kPdlWriterId, writer); }
int16_t GPrinter::SetPdlWriter(GPostScript& writer) { return InstallCopyOf(kPdlWriterId, writer); }
int16_t GPrinter::SetPjlWriter(GPJL& writer) { return InstallCopyOf(kPjlWriterId, writer); }

template <class In>
void GPrinter::ReadForm(In& in)
{
    GReadForm(in, StoredForm());
    FindWriters();
}

template void GPrinter::ReadForm(RWBinaryFile&);
template void GPrinter::ReadForm(RWDataInStream&);
