// The PJL job-header writer, as far as the printer needs it: its name, its class, and
// the installation of a copy of itself in the printer it is applied to (GWriterShell).
#pragma once

#include "pdl/GWriterShell.h"

class GPJL : public GWriterShell<GPJL, GPeripheralComposite, 769> {
public:
    static constexpr const char* kClassName = "GPJL";
    static constexpr GWriterData kData = {"PJL", 4, FeatureId::kPjlWriter, false};
    static constexpr int16_t (GPeripheral::*kInstall)(GPJL&) = &GPeripheral::SetPjlWriter;

    using GWriterShell::GWriterShell;
    ~GPJL() override;

    GPJL* CreateNew() const override { return new GPJL; }
    GPJL* Copy() const override { return new GPJL(*this); }

    // The job header carries the PJL strings extension modules added to the document
    // start's state (composite 985), the job's end those of the document end's state.
    // They go to this writer's channel, else to the one the command carries.
    int16_t OnDocumentStart(GDocumentStart& command) override;
    int16_t OnDocumentEnd(GDocumentEnd& command) override;
};
