// The end of a page.
#pragma once

#include "pipeline/GPageCommand.h"

class GPageEnd : public GPersistent<GPageEnd, GPageCommand, 710> {
public:
    static constexpr const char* kClassName = "GPageEnd";
    GPageEnd* CreateNew() const override { return new GPageEnd; }
    GPageEnd* Copy() const override { return new GPageEnd(*this); }

    GPageEnd();
    explicit GPageEnd(const long& id);
    GPageEnd(GState* state, const long& id);
    GPageEnd(const GPageEnd& other) = default;
    ~GPageEnd() override;

    bool IsSame(const GObjectBase* other) const override;
    int16_t Execute(GCommandHandler& target) override;

    auto StoredForm() { return GFields(); }
};
