#include "printer/GObjectSerializer.h"

namespace {

// Reached through a function so that a maker registered during start-up finds it ready.
GObjectSerializer::Maker& RegisteredMaker()
{
    static GObjectSerializer::Maker maker = nullptr;
    return maker;
}

} // namespace

void GObjectSerializer::SetMaker(Maker maker) { RegisteredMaker() = maker; }

GObjectSerializer* GObjectSerializer::Make()
{
    const Maker maker = RegisteredMaker();
    return maker ? maker() : nullptr;
}
