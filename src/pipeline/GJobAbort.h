// Sent down the chain when the job is abandoned; its state, if any, has no fixed id.
#pragma once

#include "model/GCommand.h"

class GJobAbort : public GPersistent<GJobAbort, GCommand, 713> {
public:
    static constexpr const char* kClassName = "GJobAbort";
    GJobAbort* CreateNew() const override { return new GJobAbort; }
    GJobAbort* Copy() const override { return new GJobAbort(*this); }

    GJobAbort();
    explicit GJobAbort(const long& id);
    GJobAbort(const GJobAbort& other) = default;
    ~GJobAbort() override;

    bool IsSame(const GObjectBase* other) const override;
    int16_t Execute(GCommandHandler& target) override;

    auto StoredForm() { return GFields(); }
};
