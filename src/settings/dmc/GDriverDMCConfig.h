// The configuration reader the driver runs: the configuration update (installed options
// and document defaults imported, the update stamped into the printer's data) and the
// export of the driver's settings as the configuration's factory state.
#pragma once

#include "settings/dmc/GDMCConfig.h"

class GDriverDMCConfig : public GDMCConfig {
public:
    using GDMCConfig::GDMCConfig;

    // Mode 0 or 1: the machine's configuration, 2: the user's. 1 when something was imported.
    int32_t Update(const RWWString& printerName, uint32_t mode) override;
    // 1 when both factory sections were exported.
    int32_t ExportFactory(const RWWString& printerName);
};
