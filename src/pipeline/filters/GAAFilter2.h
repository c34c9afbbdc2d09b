// The second extension hook filter: the late page events and the document end, also
// inside the pages an earlier filter spooled (see GAAFilter1).
#pragma once

#include "pipeline/filters/GAAFilter1.h"

class GAAFilter2 : public GPersistent<GAAFilter2, GAAFilter1, 1116> {
public:
    static constexpr const char* kClassName = "GAAFilter2";
    GAAFilter2* CreateNew() const override { return new GAAFilter2; }
    GAAFilter2* Copy() const override { return new GAAFilter2(*this); }

    GAAFilter2();
    explicit GAAFilter2(const long& id);
    GAAFilter2(const GAAFilter2& other);
    ~GAAFilter2() override;

    uint32_t BinaryStoreSize() const override { return 0; }
    void SaveGuts(RWDataOutStream&) const override {}
    void SaveGuts(RWBinaryFile&) const override {}
    void RestoreGuts(RWDataInStream&) override {}
    void RestoreGuts(RWBinaryFile&) override {}

    GCommand* ReceiveCommand(GCommand* command) override;
    GCountedRef ProcessCommand(const GCountedRef& command) override;

    auto StoredForm() { return GNoFields(); }

private:
    // A spooled page's page start and end, each through the hook and written back.
    void ProcessSpooledPage(GObjectBase* page);
};
