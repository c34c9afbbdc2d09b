// A command made of commands, kept in order. A peripheral opens it through its own
// composite processing, which submits the members one by one and puts what comes back
// in each member's place; the composite itself calls no handler.
#pragma once

#include "model/GCommand.h"
#include "model/GMemberListOf.h"

class GCommandComposite : public GMemberListOf<GCommandComposite, GCommand, GCommand, 605> {
public:
    static constexpr const char* kClassName = "GCommandComposite";
    GCommandComposite* CreateNew() const override { return new GCommandComposite; }
    GCommandComposite* Copy() const override { return new GCommandComposite(*this); }

    using GMemberListOf::GMemberListOf;
};
