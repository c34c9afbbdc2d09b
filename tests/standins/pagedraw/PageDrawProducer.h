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
    // The settings read; flag E set as the test asks.
    void ConfigureFromSettings() override
    {
        GCommandProducer::ConfigureFromSettings();
        if (forceFlagE)
            SetFlagE(1);
    }
    // The server ticket; 0 while the server does not know the object.
    uint32_t GetProducerKey() const override;
    uint16_t CheckContinue() override { return continueStatus; }
    // Sends a copy of the open path.
    uint16_t PaintPath(uint32_t value) override;
    // A non-zero value closes the figure.
    int ClosesFigure(uint32_t value) override { return value != 0; }
    // Counts the job states the device's capability rules were asked for.
    void ApplyCapabilityRules(GState&) override { ++capabilityRuleRuns; }
    // The watermark operations: the font is handle 1 with an extent word of 0x00640032;
    // its release clears the caller's handle; the graphic is a rectangle over the marked
    // media's paper brushed in the text's colour.
    uint32_t RequestWatermarkFont(uint32_t request, uint32_t paperSize, uint32_t extentWord) override;
    void ReleaseWatermarkFont(uint32_t handle) override;
    GCommand* MakeWatermarkGraphic(const RWWString& message, uint32_t handle, uint32_t extentWord, uint32_t color,
                                   uint32_t media, uint32_t characterSet) override;

    // A fixed key in place of the ticket when set.
    bool fixedKey = false;
    uint32_t key = 0;
    // What the continue check answers.
    uint16_t continueStatus = 0;
    int paints = 0;
    int capabilityRuleRuns = 0;
    // Flag E on for every job, as a writer that takes spooled covers and N-up sets it.
    bool forceFlagE = false;
    // What the font operation answers; 0 makes no watermark.
    uint32_t watermarkHandle = 1;
    int fontRequests = 0;
    int fontReleases = 0;
    // The message of the last watermark graphic made.
    RWWString lastWatermark;

private:
    mutable uint32_t key_ = 0;
};
