// The printer upgrade of the driver UI object: when a new version of the driver is
// installed over a printer, the objects an older version stored are brought into the
// current form and the printer is left with a DEVMODE and settings the new version reads.
#pragma once

#include "entry/module/GDriverUIOperations.h"

class GDriverUI;

class GDriverUIUpgrade {
public:
    explicit GDriverUIUpgrade(GDriverUI& ui) : ui_(ui) {}
    GDriverUIUpgrade(const GDriverUIUpgrade&) = delete;
    GDriverUIUpgrade& operator=(const GDriverUIUpgrade&) = delete;

    BOOL UpgradePrinter(DWORD level, LPBYTE info);
    // The mass-storage devices whose switch an upgrade carries over.
    static constexpr int kFirstUpgradedDevice = 6;
    static constexpr int kLastUpgradedDevice = 9;

private:
    GDriverUI& ui_;
};
