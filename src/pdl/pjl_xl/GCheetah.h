// The PCL XL page writer, as far as the printer needs it: its name, its class, and the
// installation of a copy of itself in the printer it is applied to (GWriterShell).
#pragma once

#include "pdl/GWriterShell.h"

class GCheetah : public GPageWriterShell<GCheetah, 767> {
public:
    static constexpr const char* kClassName = "GCheetah";
    static constexpr GWriterData kData = {"PCL XL", 1, GPdlWriter::kWriterId, true};
    static constexpr int16_t (GPeripheral::*kInstall)(GCheetah&) = &GPeripheral::SetPdlWriter;

    using GPageWriterShell::GPageWriterShell;

    GCheetah* CreateNew() const override { return new GCheetah; }
    GCheetah* Copy() const override { return new GCheetah(*this); }
};
