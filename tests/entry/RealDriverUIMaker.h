// The driver server's maker of the real driver UI object, for the suites that drive the
// installed test printer through it.
#pragma once

#include "entry/driverui/GDriverUI.h"
#include "entry/module/GUIOSFactory.h"
#include "printer/PrinterIdentity.h"

inline const GDriverUIMaker kRealMaker = {
    [](const PrinterIdentity& identity) -> GDriverObject* { return new GDriverUI(identity); },
    [](GDriverObject* driver) -> void* {
        GDriverUI* ui = dynamic_cast<GDriverUI*>(driver);
        return ui ? ui->GetPrinterHandle() : nullptr;
    },
};
