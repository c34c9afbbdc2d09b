#include "pipeline/GCommand.h"

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
