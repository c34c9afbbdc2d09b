#include "pipeline/GPageCommand.h"

#include "model/GState.h"

namespace {

GState* PageState(GState* state)
{
    if (!state)
        return new GState(GState::kPageStateId);
    state->SetId(GState::kPageStateId);
    return state;
}

} // namespace

GPageCommand::GPageCommand() {}
GPageCommand::GPageCommand(const long& id) : GStoredLevel(id)
{
    GCommand::AdoptState(PageState(nullptr));
    ClearModified();
}
GPageCommand::GPageCommand(GState* state, const long& id) : GStoredLevel(id)
{
    GCommand::AdoptState(PageState(state));
    ClearModified();
}
GPageCommand::~GPageCommand() {}

void GPageCommand::AdoptState(GState* state)
{
    if (state && !state->IsKindOf(GState::kClassId)) {
        Drop(state);
        return;
    }
    GCommand::AdoptState(state ? PageState(state) : nullptr);
}
