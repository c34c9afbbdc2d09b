#include "pipeline/GCommand.h"

#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"
#include "printer/GState.h"

GCommand::GCommand() : modified_(0) {}
GCommand::GCommand(const long& id) : GObjectBase(id), modified_(0) {}
GCommand::GCommand(GState* state, const long& id) : GObjectBase(id), state_(state), modified_(0) {}
GCommand::GCommand(const GCommand& other) : GObjectBase(other), state_(other.state_), modified_(0) {}

GCommand& GCommand::operator=(const GCommand& other)
{
    if (this != &other) {
        GObjectBase::operator=(other);
        state_ = other.state_;
    }
    return *this;
}

GCommand::~GCommand() {}

uint32_t GCommand::BinaryStoreSize() const
{
    const RWCollectable* state = state_.Get();
    return GObjectBase::BinaryStoreSize() + 4 + (state ? state : &RWNilObject)->RecursiveStoreSize();
}

// A stored object that is not a state is dropped and the current state kept; so is an
// object whose read failed part way, and the current state when nothing could be read.
// A dropped object stays known to the restore, so dropping one that was read whole ends
// the read: nothing later in the data may refer back to it.
template <class In>
void GCommand::ReadFields(In& in)
{
    modified_ = 0;
    if (!GReadFields(in))
        return;
    GObjectBase* object = RestoreHeld(in);
    if (RestoreStopped(in)) {
        Drop(object);
        return;
    }
    if (object && !object->IsKindOf(GState::kClassId)) {
        GRefuseStored(in);
        Drop(object);
        return;
    }
    state_.Set(object);
}

template <class Out>
void GCommand::WriteFields(Out& out) const
{
    GWriteFields(out);
    out << static_cast<const RWCollectable*>(state_.Get());
}

void GCommand::RestoreGuts(RWDataInStream& stream)
{
    GObjectBase::RestoreGuts(stream);
    ReadFields(stream);
}

void GCommand::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    ReadFields(file);
}

void GCommand::SaveGuts(RWDataOutStream& stream) const
{
    GObjectBase::SaveGuts(stream);
    WriteFields(stream);
}

void GCommand::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteFields(file);
}

bool GCommand::IsKindOf(RWClassID classId) const { return classId == kClassId || GObjectBase::IsKindOf(classId); }

bool GCommand::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GCommand* command = dynamic_cast<const GCommand*>(other);
    if (!command || command->GetId() != GetId())
        return false;
    const GObjectBase* state = state_.Get();
    const GObjectBase* otherState = command->state_.Get();
    return state == otherState || (state && otherState && state->IsSame(otherState));
}

int32_t GCommand::IsCommand() const { return 1; }

void GCommand::AdoptState(GState* state) { state_.Set(state); }

void GCommand::SetState(const GCountedRef& state)
{
    GObjectBase* object = state.Get();
    if (object && !object->IsKindOf(GState::kClassId))
        return;
    state_ = state;
}

GState* GCommand::DetachState()
{
    GState* state = GetState();
    if (state && state_.Detach())
        state->RemoveReference();
    return state;
}

void GCommand::GetState(GCountedRef& state) { state = state_; }

void GCommand::Prepare() {}

// Only states are ever held, so the held object is one.
GState* GCommand::GetState() const { return static_cast<GState*>(state_.Get()); }
