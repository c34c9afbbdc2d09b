// A command that stands for nothing: it calls no handler, peripherals pass it on
// untouched, and it never holds a state.
#pragma once

#include "model/GCommand.h"

class GNoCommand : public GPersistent<GNoCommand, GCommand, 715> {
public:
    static constexpr const char* kClassName = "GNoCommand";
    GNoCommand* CreateNew() const override { return new GNoCommand; }
    GNoCommand* Copy() const override { return new GNoCommand(*this); }

    GNoCommand();
    explicit GNoCommand(const long& id);
    GNoCommand(const GNoCommand& other);
    ~GNoCommand() override;

    // The given state is dropped (deleted unless somebody holds it); none is kept.
    void AdoptState(GState* state) override;
    void SetState(const GCountedRef& state) override;
    int16_t Execute(GCommandHandler& target) override;

    // Only the version word; a state read with the command part is let go.
    auto StoredForm() { return GFields(); }
    template <class In>
    void ReadForm(In& in);
};
