#include "pipeline/GNullCommand.h"

GNullCommand::GNullCommand(const long& id) : GPersistent(id) {}
GNullCommand::GNullCommand(GState* state, const long& id) : GPersistent(state, id) {}
GNullCommand::~GNullCommand() {}

bool GNullCommand::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GNullCommand* command = GSameClass<GNullCommand>(this, other);
    return command && LikeCommandPart(*command);
}

int16_t GNullCommand::Execute(GCommandHandler&) { return 0; }
