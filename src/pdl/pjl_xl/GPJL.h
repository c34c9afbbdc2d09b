// The PJL job-header writer, as far as the printer needs it: its name, its class, and
// the installation of a copy of itself in the printer it is applied to.
#pragma once

#include "printer/GPeripheralComposite.h"

class GPJL : public GPersistent<GPJL, GPeripheralComposite, 769> {
public:
    static constexpr const char* kClassName = "GPJL";
    static constexpr const char* kWriterName = "PJL";
    // The kind of add-on library that serves this writer.
    static constexpr int32_t kAddOnKind = 4;

    GPJL();
    // Takes add-ons in the given mode, listed by the configuration member with the id.
    explicit GPJL(int32_t addOnMode, uint32_t addOnListId = 64);
    GPJL(const GPJL& other) = default;
    ~GPJL() override;

    GPJL* CreateNew() const override { return new GPJL; }
    GPJL* Copy() const override { return new GPJL(*this); }
    // Installs a copy of this writer in the target printer.
    int16_t ApplyTo(GAttributeVisitor& target) override;

    // The job header carries the PJL strings extension modules added to the document
    // start's state (composite 985), the job's end those of the document end's state.
    // They go to this writer's channel, else to the one the command carries.
    int16_t OnDocumentStart(GDocumentStart& command) override;
    int16_t OnDocumentEnd(GDocumentEnd& command) override;

    auto StoredForm() { return GFields(); }
};
