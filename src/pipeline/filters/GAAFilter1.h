// The extension hook filters let the loaded rendering extensions add bytes to a job: at
// the document and page events they call the driver object's extension context, whose
// answer (the event command, or a composite of it and the extensions' pass-through
// commands) goes on in its place. The first filter takes the document start and the
// early page events; the second (GAAFilter2) the late page events and the document end.
// Neither stores anything, not even the peripheral part.
#pragma once

#include "printer/GPeripheral.h"

class GCommandProducer;
class GExtensionContext;

// What both hook filters keep of a job: its producer and the producer's extension
// context, taken at the document start.
class GExtensionHookLink {
public:
    // The producer and its context from the document start; none without a producer.
    void Take(GCommand& documentStart);
    // The context's answer for a page start or end with the selector (0 early, 1 late).
    GCountedRef PageHook(const GCountedRef& command, uint16_t selector) const;
    GExtensionContext* Context() const { return context_; }

private:
    GCommandProducer* producer_ = nullptr;
    GExtensionContext* context_ = nullptr;
};

class GAAFilter1 : public GPersistent<GAAFilter1, GPeripheral, 1115> {
public:
    static constexpr const char* kClassName = "GAAFilter1";
    GAAFilter1* CreateNew() const override { return new GAAFilter1; }
    GAAFilter1* Copy() const override { return new GAAFilter1(*this); }

    GAAFilter1();
    explicit GAAFilter1(const long& id);
    GAAFilter1(const GAAFilter1& other);
    ~GAAFilter1() override;

    // Nothing is stored: any two of the class are the same.
    bool IsSame(const GObjectBase* other) const override;
    uint32_t BinaryStoreSize() const override { return 0; }
    void SaveGuts(RWDataOutStream&) const override {}
    void SaveGuts(RWBinaryFile&) const override {}
    void RestoreGuts(RWDataInStream&) override {}
    void RestoreGuts(RWBinaryFile&) override {}

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    void AbsorbState(GState*) override {}
    uint32_t QueryFlags() override { return 0; }

    GExtensionContext* GetExtensionContext() const { return link_.Context(); }

    auto StoredForm() { return GNoFields(); }

private:
    GExtensionHookLink link_;
};
