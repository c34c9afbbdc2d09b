// The page-drawing module's producer: a secondary driver object whose key is the ticket
// under which the driver server keeps it.
#pragma once

#include "pipeline/GCommandProducer.h"

class PageDrawProducer : public GCommandProducer {
public:
    PageDrawProducer() = default;
    // The names of the printer's identity: printer, driver, port.
    PageDrawProducer(const RWWString& printer, const RWWString& driver, const RWWString& port)
        : GDriverObject(printer, driver, port)
    {
    }
    // A job settings tree with the empty sub-states 329 and 362 to 365.
    GObjectBase* CreateSettings() override;
    GDriverObject* GetSecondaryInterface() override { return this; }
    // The server ticket; 0 while the server does not know the object.
    uint32_t GetProducerKey() const override;
    uint16_t CheckContinue() override { return continueStatus; }
    // Sends a copy of the open path.
    uint16_t PaintPath(uint32_t value) override;
    // A non-zero value closes the figure.
    int ClosesFigure(uint32_t value) override { return value != 0; }
    // Counts the job states the device's capability rules were asked for.
    void ApplyCapabilityRules(GState&) override { ++capabilityRuleRuns; }

    // A fixed key in place of the ticket when set.
    bool fixedKey = false;
    uint32_t key = 0;
    // What the continue check answers.
    uint16_t continueStatus = 0;
    int paints = 0;
    int capabilityRuleRuns = 0;

private:
    mutable uint32_t key_ = 0;
};
