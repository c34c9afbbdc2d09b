// The second extension hook filter: the late page events and the document end, also
// inside the pages an earlier filter spooled (see GAAFilter1).
#pragma once

#include "pipeline/filters/GAAFilter1.h"

class GAAFilter2 : public GPersistent<GAAFilter2, GPeripheral, 1116> {
public:
    static constexpr const char* kClassName = "GAAFilter2";
    GAAFilter2* CreateNew() const override { return new GAAFilter2; }
    GAAFilter2* Copy() const override { return new GAAFilter2(*this); }

    GAAFilter2();
    explicit GAAFilter2(const long& id);
    GAAFilter2(const GAAFilter2& other);
    ~GAAFilter2() override;

    // Nothing is stored: any two of the class are the same.
    bool IsSame(const GObjectBase* other) const override;
    uint32_t BinaryStoreSize() const override { return 0; }
    void SaveGuts(RWDataOutStream&) const override {}
    void SaveGuts(RWBinaryFile&) const override {}
    void RestoreGuts(RWDataInStream&) override {}
    void RestoreGuts(RWBinaryFile&) override {}

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    GCommand* ReceiveCommand(GCommand* command) override;
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    void AbsorbState(GState*) override {}
    uint32_t QueryFlags() override { return 0; }

    GExtensionContext* GetExtensionContext() const { return link_.Context(); }

    auto StoredForm() { return GNoFields(); }

private:
    // A spooled page's page start and end, each through the hook and written back.
    void ProcessSpooledPage(GObjectBase* page);

    GExtensionHookLink link_;
};
