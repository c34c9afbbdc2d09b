// A command that does nothing. The page-spooling filters put one into every spooled
// page right behind the page start, so that a page always has a member to stand on
// after its start.
#pragma once

#include "model/GCommand.h"

class GNullCommand : public GPersistent<GNullCommand, GCommand, 712> {
public:
    static constexpr const char* kClassName = "GNullCommand";
    GNullCommand* CreateNew() const override { return new GNullCommand; }
    GNullCommand* Copy() const override { return new GNullCommand(*this); }

    explicit GNullCommand(const long& id = 0);
    GNullCommand(GState* state, const long& id);
    GNullCommand(const GNullCommand& other) = default;
    ~GNullCommand() override;

    // The same object, or like command parts.
    bool IsSame(const GObjectBase* other) const override;
    // Calls no handler.
    int16_t Execute(GCommandHandler& target) override;

    auto StoredForm() { return GFields(); }
};
