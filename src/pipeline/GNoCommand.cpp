#include "pipeline/GNoCommand.h"

#include "model/GState.h"

GNoCommand::GNoCommand() {}
GNoCommand::GNoCommand(const long& id) : GPersistent(id) {}
// The copy shares no state either.
GNoCommand::GNoCommand(const GNoCommand& other) : GPersistent(other)
{
    GCommand::AdoptState(nullptr);
    ClearModified();
}
GNoCommand::~GNoCommand() {}

void GNoCommand::AdoptState(GState* state)
{
    GCommand::AdoptState(nullptr);
    Drop(state);
}

void GNoCommand::SetState(const GCountedRef&) {}

int16_t GNoCommand::Execute(GCommandHandler&) { return 0; }

template <class In>
void GNoCommand::ReadForm(In& in)
{
    GCommand::AdoptState(nullptr);
    GReadForm(in, StoredForm());
}

template void GNoCommand::ReadForm(RWBinaryFile&);
template void GNoCommand::ReadForm(RWDataInStream&);
