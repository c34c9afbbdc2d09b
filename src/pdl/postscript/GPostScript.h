// The PostScript page writer, as far as the printer needs it: its name, its class, and the
// installation of a copy of itself in the printer it is applied to (GWriterShell).
#pragma once

#include "pdl/GWriterShell.h"

class GPostScript : public GPageWriterShell<GPostScript, 768> {
public:
    static constexpr const char* kClassName = "GPostScript";
    static constexpr GWriterData kData = {"PostScript", 3, GPdlWriter::kWriterId, false};
    static constexpr int16_t (GPeripheral::*kInstall)(GPostScript&) = &GPeripheral::SetPdlWriter;

    using GPageWriterShell::GPageWriterShell;

    GPostScript* CreateNew() const override { return new GPostScript; }
    GPostScript* Copy() const override { return new GPostScript(*this); }
};
