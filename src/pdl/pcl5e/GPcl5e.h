// The PCL5e page writer, as far as the printer needs it: its name, its class, and the
// installation of a copy of itself in the printer it is applied to (GWriterShell).
#pragma once

#include "pdl/GWriterShell.h"

class GPcl5e : public GPageWriterShell<GPcl5e, 788> {
public:
    static constexpr const char* kClassName = "GPcl5e";
    static constexpr GWriterData kData = {"PCL5e", 2, GPdlWriter::kWriterId, true};
    static constexpr int16_t (GPeripheral::*kInstall)(GPcl5e&) = &GPeripheral::SetPdlWriter;

    using GPageWriterShell::GPageWriterShell;

    GPcl5e* CreateNew() const override { return new GPcl5e; }
    GPcl5e* Copy() const override { return new GPcl5e(*this); }
};
