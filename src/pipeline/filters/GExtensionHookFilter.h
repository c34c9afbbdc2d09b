// The extension hook filters let the loaded rendering extensions add bytes to a job: at
// the document and page events they call the driver object's extension context, whose
// answer (the event command, or a composite of it and the extensions' pass-through
// commands) goes on in its place. It is one filter at two places of the chain, told
// apart by its selector: the early one (GAAFilter1) takes the document start, where it
// loads the extensions, and the early page events; the late one (GAAFilter2) the late
// page events, also inside the pages an earlier filter spooled, and the document end.
// Neither stores anything, not even the peripheral part.
#pragma once

#include "model/GCountedRef.h"
#include "printer/GPeripheral.h"

#include <cstdint>

class GCommandProducer;
class GExtensionContext;

// What a hook filter keeps of a job: its producer and the producer's extension context,
// taken at the document start; and what it does with each command.
class GExtensionHookLink {
public:
    static constexpr uint16_t kEarly = 0;
    static constexpr uint16_t kLate = 1;

    // The producer and its context from the document start; none without a producer.
    void Take(GCommand& documentStart);
    // The context's answer for a page start or end with the selector.
    GCountedRef PageHook(const GCountedRef& command, uint16_t selector) const;
    // What goes on in place of the command for the filter with the selector.
    GCountedRef Process(const GCountedRef& command, uint16_t selector);
    GExtensionContext* Context() const { return context_; }

    // The late filter's intake: composites member by member, a spooled page's page start
    // and end through the filter's ProcessCommand and written back, the document and
    // page events themselves; everything else passes.
    static GCommand* ReceiveLate(GPeripheral& filter, GCommand* command);

private:
    GCommandProducer* producer_ = nullptr;
    GExtensionContext* context_ = nullptr;
};

template <class Self, RWClassID Id, uint16_t Selector>
class GExtensionHookFilter : public GPersistent<Self, GPeripheral, Id> {
public:
    using GPersistent<Self, GPeripheral, Id>::GPersistent;

    // Nothing is stored: any two of the class are the same.
    bool IsSame(const GObjectBase* other) const override { return other && other->ClassId() == this->ClassId(); }
    uint32_t BinaryStoreSize() const override { return 0; }
    void SaveGuts(RWDataOutStream&) const override {}
    void SaveGuts(RWBinaryFile&) const override {}
    void RestoreGuts(RWDataInStream&) override {}
    void RestoreGuts(RWBinaryFile&) override {}

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    GCommand* ReceiveCommand(GCommand* command) override
    {
        if (Selector == GExtensionHookLink::kLate)
            return GExtensionHookLink::ReceiveLate(*this, command);
        return GPeripheral::ReceiveCommand(command);
    }
    GCountedRef ProcessCommand(const GCountedRef& command) override { return link_.Process(command, Selector); }
    void AbsorbState(GState*) override {}
    uint32_t QueryFlags() override { return 0; }

    GExtensionContext* GetExtensionContext() const { return link_.Context(); }

    auto StoredForm() { return GNoFields(); }

private:
    GExtensionHookLink link_;
};
