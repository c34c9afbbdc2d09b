#include "model/GCommand.h"

#include "model/GStoredCounts.h"
#include "model/GState.h"

GCommand::GCommand() : modified_(0) {}
GCommand::GCommand(const long& id) : GStoredLevel(id), modified_(0) {}
GCommand::GCommand(GState* state, const long& id) : GStoredLevel(id), state_(state), modified_(0) {}
GCommand::GCommand(const GCommand& other) : GStoredLevel(other), state_(other.state_), modified_(0) {}

GCommand& GCommand::operator=(const GCommand& other)
{
    if (this != &other) {
        GObjectBase::operator=(other);
        state_ = other.state_;
    }
    return *this;
}

GCommand::~GCommand() {}

// A stored object that is not a state is dropped and the current state kept; so is an
// object whose read failed part way, and the current state when nothing could be read.
// A dropped object stays known to the restore, so dropping one that was read whole ends
// the read: nothing later in the data may refer back to it.
template <class In>
void GCommand::ReadForm(In& in)
{
    modified_ = 0;
    GReadForm(in, StoredForm());
}

template <class In>
bool GCommand::ReadStored(In& in)
{
    GObjectBase* object = RestoreHeld(in);
    if (RestoreStopped(in)) {
        Drop(object);
        return false;
    }
    if (object && !object->IsKindOf(GState::kClassId)) {
        GRefuseStored(in);
        Drop(object);
        return false;
    }
    state_.Set(object);
    modified_ = 0;
    return true;
}

template <class Out>
void GCommand::WriteStored(Out& out) const
{
    GFormWrite(out, state_);
}

// The stored form is instantiated here for every medium: subclasses elsewhere reach it
// through the base.
template void GCommand::ReadForm(RWBinaryFile&);
template void GCommand::ReadForm(RWDataInStream&);
template void GCommand::WriteStored(RWBinaryFile&) const;
template void GCommand::WriteStored(RWDataOutStream&) const;

bool GCommand::IsEqual(const RWCollectable* other) const
{
    if (other == this)
        return true;
    const GCommand* command = dynamic_cast<const GCommand*>(other);
    return command && GObjectBase::IsEqual(command) && LikeCommandPart(*command);
}

bool GCommand::LikeCommandPart(const GCommand& other) const
{
    const GObjectBase* state = state_.Get();
    const GObjectBase* otherState = other.state_.Get();
    return GetId() == other.GetId() &&
           (state == otherState || (state && otherState && state->IsEqual(otherState)));
}

int32_t GCommand::IsCommand() const { return 1; }

// A changed state marks the command, so that a filter replaying a spooled page writes
// the command back with its new state.
void GCommand::AdoptState(GState* state)
{
    state_.Set(state);
    modified_ = 1;
}

void GCommand::SetState(const GCountedRef& state)
{
    GObjectBase* object = state.Get();
    if (object && !object->IsKindOf(GState::kClassId))
        return;
    if (state_.Get() == object)
        return;
    state_ = state;
    modified_ = 1;
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
