#include "graphics/GGraphic.h"

#include "graphics/GGraphicBundle.h"

GGraphic::GGraphic() {}

GGraphic::GGraphic(GState* state, const long& id) : GStoredLevel(id)
{
    if (state)
        state->SetId(kStateId);
    GCommand::AdoptState(state);
    ClearModified();
}

GGraphic::~GGraphic() {}

void GGraphic::AdoptState(GState* state)
{
    if (!state)
        return;
    if (!state->IsKindOf(GGraphicBundle::kClassId)) {
        Drop(state);
        return;
    }
    state->SetId(kStateId);
    GCommand::AdoptState(state);
}
