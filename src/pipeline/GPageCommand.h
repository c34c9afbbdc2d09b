// The base of the page frame commands: their state holds the settings of the page and
// always carries the page state id.
#pragma once

#include "model/GCommand.h"

class GPageCommand : public GStoredLevel<GPageCommand, GCommand, 708> {
public:
    GPageCommand();
    // A new page state.
    explicit GPageCommand(const long& id);
    // The given state takes the page state id; null makes a new one.
    GPageCommand(GState* state, const long& id);
    GPageCommand(const GPageCommand& other) = default;
    ~GPageCommand() override;

    // Only a state is taken (it gets the page state id); anything else is dropped and
    // the current state stays.
    void AdoptState(GState* state) override;

    auto StoredForm() { return GFields(); }
};
