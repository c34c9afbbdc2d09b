// The start of a page.
#pragma once

#include "pipeline/GPageCommand.h"

class GPageStart : public GPersistent<GPageStart, GPageCommand, 709> {
public:
    static constexpr const char* kClassName = "GPageStart";
    GPageStart* CreateNew() const override { return new GPageStart; }
    GPageStart* Copy() const override { return new GPageStart(*this); }

    GPageStart();
    explicit GPageStart(const long& id);
    GPageStart(GState* state, const long& id);
    GPageStart(const GPageStart& other) = default;
    ~GPageStart() override;

    bool IsSame(const GObjectBase* other) const override;
    int16_t Execute(GCommandHandler& target) override;

    auto StoredForm() { return GFields(); }
};
